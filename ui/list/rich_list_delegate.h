#pragma once

#include <QStyledItemDelegate>

class RichListView;

// The list paints its rows itself; this delegate only sizes them and edits cells in place.
class RichListDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    explicit RichListDelegate(RichListView& list);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

  protected:
    // Enter ends the edit (Shift+Enter starts a new line); focus leaving it ends it too.
    bool eventFilter(QObject* object, QEvent* event) override;

  private:
    RichListView& list_;
};
