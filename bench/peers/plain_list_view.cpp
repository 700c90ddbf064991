// The peer of the start-up benchmark: a plain list view over a table model of master.txt in
// $TESSARIN_HOME, read and shown the way a small Qt program would.
#include <QAbstractTableModel>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QTreeView>
#include <array>
#include <vector>

namespace {

class PartsModel : public QAbstractTableModel {
  public:
    explicit PartsModel(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) return;
        const QString text = QString::fromUtf8(file.readAll());
        const QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
        rows_.reserve(static_cast<std::size_t>(lines.size()));
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype tab = lines[i].indexOf(u'\t');
            rows_.push_back({lines[i].left(tab), tab < 0 ? QString() : lines[i].mid(tab + 1)});
        }
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 2; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid()) return {};
        return rows_[static_cast<std::size_t>(index.row())][static_cast<std::size_t>(index.column())];
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        return section == 0 ? QStringLiteral("Part Number") : QStringLiteral("Description");
    }

  private:
    std::vector<std::array<QString, 2>> rows_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    PartsModel model(qEnvironmentVariable("TESSARIN_HOME") + QStringLiteral("/master.txt"));
    QTreeView view;
    view.setRootIsDecorated(false);
    view.setUniformRowHeights(true);
    view.setModel(&model);
    view.header()->resizeSection(0, 75);
    view.header()->resizeSection(1, 400);
    view.resize(800, 600);
    view.show();
    return app.exec();
}
