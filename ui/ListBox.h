// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Utf8Text.h"
#include "register/TextList.h"

#include <QAbstractListModel>
#include <QListView>
#include <QStringList>

// A list box of texts. Its items are set as one list, so that a list of a
// million entries costs one model reset, not a million insertions; they are
// kept as UTF-8 text and made into strings only to be shown.
class TListBox : public QListView {
    Q_OBJECT
public:
    explicit TListBox(QWidget *parent = nullptr)
        : QListView(parent)
    {
        setModel(&m_items);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        setUniformItemSizes(true);
    }

    const TextList &texts() const { return m_items.texts; }
    QStringList Items() const
    {
        QStringList items;
        items.reserve(m_items.texts.size());
        for (int i = 0; i < m_items.texts.size(); ++i)
            items << m_items.text(i);
        return items;
    }
    void setTexts(TextList texts) { m_items.setTexts(std::move(texts)); }
    void Clear() { takeTexts(); }
    // Empties the list box and hands over its texts, whose memory can take
    // the next ones.
    TextList takeTexts()
    {
        TextList texts;
        m_items.swapTexts(texts);
        return texts;
    }

private:
    struct TextModel : QAbstractListModel {
        TextList texts;

        QString text(int i) const
        {
            return fromUtf8(texts.at(i));
        }
        void setTexts(TextList list) { swapTexts(list); }
        void swapTexts(TextList &list)
        {
            beginResetModel();
            std::swap(texts, list);
            endResetModel();
        }
        int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : texts.size(); }
        QVariant data(const QModelIndex &index, int role) const override
        {
            if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
                return {};
            return text(index.row());
        }
    };
    TextModel m_items;
};
