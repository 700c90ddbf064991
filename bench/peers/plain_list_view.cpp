// The peer of the start-up benchmark: a lean plain list program. It reads master.txt in $TESSARIN_HOME
// once, decodes it as Windows-1252 as the program does, keeps one copy of the parts (part number and
// description) and shows them in a tree view.
#include <QAbstractTableModel>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QTreeView>
#include <algorithm>
#include <array>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// The characters Windows-1252 puts at 0x80..0x9F; the other bytes are those of Latin-1.
constexpr char16_t kHighControls[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString FromWindows1252(const char* bytes, qsizetype size) {
    QString text(size, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        out[i] = byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
    }
    return text;
}

class PartsModel : public QAbstractTableModel {
  public:
    explicit PartsModel(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) return;
        const QByteArray bytes = file.readAll();
        const char* at = bytes.constData();
        const char* const end = at + bytes.size();
        rows_.reserve(static_cast<std::size_t>(std::count(at, end, '\n')) + 1);
        bool header = true;
        while (at < end) {
            const char* lineEnd = static_cast<const char*>(std::memchr(at, '\n', std::size_t(end - at)));
            if (!lineEnd) lineEnd = end;
            const char* const next = lineEnd + (lineEnd < end);
            if (lineEnd > at && lineEnd[-1] == '\r') --lineEnd;
            if (lineEnd > at && !std::exchange(header, false)) {
                const char* tab = static_cast<const char*>(std::memchr(at, '\t', std::size_t(lineEnd - at)));
                const char* const split = tab ? tab : lineEnd;
                rows_.push_back({FromWindows1252(at, split - at),
                                 tab ? FromWindows1252(tab + 1, lineEnd - tab - 1) : QString()});
            }
            at = next;
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
