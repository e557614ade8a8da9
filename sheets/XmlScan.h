// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sheets/SheetReading.h"

#include <orcus/sax_parser.hpp>

#include <string>
#include <string_view>
#include <vector>

// Reading the XML parts of a spreadsheet package with liborcus's SAX
// parser. Handlers see local names only: writers spell the namespace
// prefixes of the same elements differently ("c", "x:c").

// What every handler has: where the parser is, and nothing to do for
// the elements and texts it does not override.
struct XmlHandler {
    std::ptrdiff_t offset = 0;  // just past the last element started or ended
    std::string_view prefix;    // the namespace prefix of that element, as written
    void start(std::string_view, const class XmlAttributes &) {}
    void end(std::string_view) {}
    void text(std::string_view) {}
};

// The attributes of the element being started.
class XmlAttributes {
public:
    struct Attribute {
        std::string_view prefix;
        std::string_view name;
        std::string value;
    };

    // The value of the attribute `name` (with any prefix when `prefixed`,
    // as r:id), or empty.
    std::string_view value(std::string_view name, bool prefixed = false) const
    {
        for (const Attribute &attribute : m_attributes) {
            if (attribute.name == name && attribute.prefix.empty() != prefixed)
                return attribute.value;
        }
        return {};
    }

    // The value of the attribute `prefix`:`name` as the file spells it
    // (OpenDocument's writers all use the customary prefixes), or empty.
    std::string_view valueOf(std::string_view prefix, std::string_view name) const
    {
        for (const Attribute &attribute : m_attributes) {
            if (attribute.name == name && attribute.prefix == prefix)
                return attribute.value;
        }
        return {};
    }
    bool has(std::string_view prefix, std::string_view name) const
    {
        for (const Attribute &attribute : m_attributes) {
            if (attribute.name == name && attribute.prefix == prefix)
                return true;
        }
        return false;
    }

    void add(std::string_view prefix, std::string_view name, std::string_view value)
    {
        m_attributes.push_back({prefix, name, std::string(value)});
    }
    void clear() { m_attributes.clear(); }

private:
    std::vector<Attribute> m_attributes;
};

namespace detail {

// Adapts an XmlHandler to liborcus, which gives an element's attributes before
// the element.
template <typename Handler>
struct SaxAdapter : orcus::sax_handler {
    using orcus::sax_handler::attribute;

    Handler &handler;
    XmlAttributes attributes;

    explicit SaxAdapter(Handler &h)
        : handler(h)
    {
    }
    void attribute(const orcus::sax::parser_attribute &attribute)
    {
        attributes.add(attribute.ns, attribute.name, attribute.value);
    }
    void start_element(const orcus::sax::parser_element &element)
    {
        handler.offset = element.end_pos;
        handler.prefix = element.ns;
        handler.start(element.name, attributes);
        attributes.clear();
    }
    void end_element(const orcus::sax::parser_element &element)
    {
        handler.offset = element.end_pos;
        handler.prefix = element.ns;
        handler.end(element.name);
    }
    void characters(std::string_view text, bool) { handler.text(text); }
};

} // namespace detail

// Parses `xml`, a whole part. Malformed XML is a damaged file.
template <typename Handler>
void scanXml(std::string_view xml, Handler &handler)
{
    detail::SaxAdapter<Handler> adapter(handler);
    try {
        orcus::sax_parser<detail::SaxAdapter<Handler>> parser(xml.data(), xml.size(), adapter);
        parser.parse();
    } catch (const orcus::parse_error &error) {
        throw AppError(QStringLiteral("文件内容已损坏（%1）").arg(QString::fromUtf8(error.what())));
    }
}
