#include "ui/list/rich_list_delegate.h"

#include <QKeyEvent>
#include <QPlainTextEdit>

#include "ui/list/rich_list_view.h"

RichListDelegate::RichListDelegate(RichListView& list) : QStyledItemDelegate(&list), list_(list) {}

QSize RichListDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const {
    return QSize(list_.columnWidth(index.column()), list_.RowHeight());
}

QWidget* RichListDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                        const QModelIndex&) const {
    // Multi-line like the cells it edits; the whole text is kept, however long.
    auto* editor = new QPlainTextEdit(parent);
    editor->setFrameShape(QFrame::NoFrame);
    editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return editor;
}

void RichListDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    static_cast<QPlainTextEdit*>(editor)->setPlainText(list_.GetCellText(index.column(), index.row()));
}

void RichListDelegate::setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const {
    list_.SetCellText(index.column(), index.row(), static_cast<QPlainTextEdit*>(editor)->toPlainText());
}

void RichListDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem&,
                                            const QModelIndex& index) const {
    // On the cell's label: past the image when the row has one.
    QRect rect = list_.CellRect(index.row(), index.column());
    const ItemState& state = list_.Model().State(index.row());
    if (index.column() == 0 && state.ImageIndex >= 0 && !list_.SmallImages.isEmpty())
        rect.setLeft(rect.left() + list_.SmallImages.first().width());
    editor->setGeometry(rect);
}

bool RichListDelegate::eventFilter(QObject* object, QEvent* event) {
    auto* editor = qobject_cast<QPlainTextEdit*>(object);
    if (editor && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & Qt::ShiftModifier)) {
            emit commitData(editor);
            emit closeEditor(editor);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}
