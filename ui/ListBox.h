#pragma once

#include <QListView>
#include <QStringListModel>

// A list box of texts. Its items are set as one list, so that a list of
// 100,000 entries costs one model reset, not 100,000 insertions.
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

    QStringList Items() const { return m_items.stringList(); }
    void setItems(QStringList items) { m_items.setStringList(std::move(items)); }
    void Clear() { m_items.setStringList({}); }

private:
    QStringListModel m_items;
};
