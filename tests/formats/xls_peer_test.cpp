// Other programs read what we write, and we read what they write.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

#include "formats/xls/xls_read.h"
#include "formats/xls/xls_write.h"
#include "support/test_support.h"

namespace {

QString RunPeer(const QString& program, const QStringList& args, const QString& dir = {}) {
    QProcess p;
    if (!dir.isEmpty()) p.setWorkingDirectory(dir);
    p.start(program, args);
    p.waitForFinished(60000);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

bool HasXlrd() {
    return QProcess::execute(Python3(), {"-c", "import xlrd"}) == 0;
}

void WriteSample(const std::filesystem::path& path, XLSVersion version) {
    XLSWrite w;
    w.SetXLSVersion(version);
    w.FileName = QString::fromStdString(path.string());
    CellFormat normal, bold;
    bold.Font.Style = xfsBold;
    w.Formats = {normal, bold};
    w.OpenFile();
    w.SetColWidth(1, 1, 0, 11000);
    w.WriteString(0, 0, 1, "Ldraw#");
    w.WriteString(1, 0, 1, QString::fromUtf8("Part Name \u00e9 \u4e2d"));
    w.WriteString(0, 2, 0, "3001");
    w.WriteNumber(3, 2, 0, 2);
    w.WriteNumber(4, 2, 0, 3.5);
    w.WriteFormula(2, 2, 0, 5.5, "SUM(D3:CD3)");
    w.WriteFormula(2, 3, 0, QString("X"), "\"a\"&\"b\"");
    w.CloseFile();
}

// The test-only node folder with the xlsx package installed by scripts/setup.
QString NodePeer() {
    QString dir = QString::fromStdString((TestData("..") / "node").lexically_normal().string());
    if (!QFile::exists(dir + "/node_modules/xlsx")) return {};
    // Asked quietly: the version is no test's output.
    QProcess node;
    node.start("node", {"--version"});
    return node.waitForFinished(30000) && node.exitStatus() == QProcess::NormalExit && node.exitCode() == 0
               ? dir
               : QString();
}

} // namespace

TEST(XlsPeer, XlrdReadsOurWorkbook) {
    if (!HasXlrd()) GTEST_SKIP() << "python3-xlrd is not installed";
    TempDir dir;
    auto path = dir / "book.xls";
    WriteSample(path, XLSVersion::xls97);
    QString script = R"(
import sys, xlrd
b = xlrd.open_workbook(sys.argv[1], formatting_info=True)
s = b.sheet_by_index(0)
print(b.sheet_names()[0], s.nrows, s.ncols)
print(s.cell_value(0, 0), s.cell_value(0, 1), s.cell_value(2, 0), s.cell_value(2, 3), s.cell_value(2, 4))
print(s.cell_type(2, 2), s.cell_value(2, 2))
print(b.font_list[b.xf_list[s.cell_xf_index(0, 0)].font_index].weight, b.font_list[b.xf_list[s.cell_xf_index(2, 0)].font_index].weight)
print(s.colinfo_map[1].width, b.font_list[0].name)
)";
    QString out = RunPeer(Python3(), {"-c", script, QString::fromStdString(path.string())});
    EXPECT_EQ(out.toStdString(), QString::fromUtf8("Sheet1 4 5\n"
                                                   "Ldraw# Part Name \u00e9 \u4e2d 3001 2.0 3.5\n"
                                                   "2 5.5\n"
                                                   "700 400\n"
                                                   "11000 Arial")
                                     .toStdString());
}

TEST(XlsPeer, NodeXlsxPackageReadsOurWorkbookAndWeReadItsWorkbook) {
    QString peer = NodePeer();
    if (peer.isEmpty()) GTEST_SKIP() << "node or the xlsx package in tests/node is not installed";
    TempDir dir;
    auto ours = dir / "ours.xls";
    WriteSample(ours, XLSVersion::xls97);
    QString out = RunPeer("node", {"peer.js", "read", QString::fromStdString(ours.string())}, peer);
    EXPECT_EQ(out.toStdString(),
              "{\"names\":[\"Sheet1\"],\"cells\":{\"A1\":\"Ldraw#\",\"A3\":\"3001\","
              "\"B1\":\"Part Name \u00e9 \u4e2d\",\"C3\":{\"v\":5.5,\"f\":\"SUM(D3:CD3)\"},"
              "\"C4\":{\"v\":\"X\",\"f\":\"\\\"a\\\"&\\\"b\\\"\"},\"D3\":2,\"E3\":3.5}}");

    // Its small workbook lives in the mini stream of the compound file.
    auto theirs = dir / "theirs.xls";
    RunPeer("node", {"peer.js", "write", QString::fromStdString(theirs.string())}, peer);
    XLSRead r;
    r.FileName = QString::fromStdString(theirs.string());
    r.Open();
    QVariant v;
    auto text = [&](int col, int row) {
        return r.ReadCell(0, col, row, v) ? v.toString() : QString("<none>");
    };
    EXPECT_EQ(text(0, 0), "Ldraw#");
    EXPECT_EQ(text(4, 0), "Red");
    EXPECT_EQ(text(0, 1), "<none>");
    EXPECT_EQ(text(0, 2), "3001");
    EXPECT_EQ(text(1, 2), QString::fromUtf8("Brick 2 x 4 \u00e9\u4e2d"));
    EXPECT_EQ(text(2, 2), "5");
    EXPECT_EQ(text(3, 3), "TRUE");
    EXPECT_EQ(text(4, 3), "x");
}

TEST(XlsPeer, XlrdReadsTheOlderLevels) {
    if (!HasXlrd()) GTEST_SKIP() << "python3-xlrd is not installed";
    TempDir dir;
    for (XLSVersion version : {XLSVersion::xls40, XLSVersion::xls50}) {
        auto path = dir / "old.xls";
        XLSWrite w;
        w.SetXLSVersion(version);
        w.FileName = QString::fromStdString(path.string());
        w.OpenFile();
        w.WriteString(0, 0, -1, "abc");
        w.WriteNumber(1, 0, -1, 2.5);
        w.WriteFormula(2, 0, -1, 2.5, "SUM(B1:B1)");
        w.CloseFile();
        QString out =
            RunPeer(Python3(),
                    {"-c",
                     "import sys, xlrd\n"
                     "s = xlrd.open_workbook(sys.argv[1], logfile=open('/dev/null', 'w')).sheet_by_index(0)\n"
                     "print(s.row_values(0))",
                     QString::fromStdString(path.string())});
        EXPECT_EQ(out.toStdString(), "['abc', 2.5, 2.5]") << static_cast<int>(version);
    }
}

// The workbooks of the fixtures, written by other programs and by us at every level we read, give every
// cell the value the peer reader gives it.
TEST(XlsPeer, FixtureWorkbooksReadAsXlrdReadsThem) {
    if (!HasXlrd()) GTEST_SKIP() << "python3-xlrd is not installed";
    const QString script = R"(
import sys, json, xlrd
# Our BIFF4 files carry no code page; their text is Windows-1252.
b = xlrd.open_workbook(sys.argv[1], logfile=open('/dev/null', 'w'), encoding_override='cp1252')
for n in range(b.nsheets):
    s = b.sheet_by_index(n)
    for r in range(s.nrows):
        for c in range(s.ncols):
            t, v = s.cell_type(r, c), s.cell_value(r, c)
            if t == xlrd.XL_CELL_BOOLEAN: v = 'TRUE' if v else 'FALSE'
            elif t == xlrd.XL_CELL_ERROR: v = xlrd.error_text_from_code[v]
            elif isinstance(v, float): v = repr(v)
            if t not in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK): print(json.dumps([n, r, c, v]))
)";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TestData("xls"))) {
        XLSRead ours;
        ours.FileName = QString::fromStdString(entry.path().string());
        ours.Open();
        // Plain BIFF2 cells have records of their own, which the reader does not take.
        if (ours.Level() == 1) continue;
        ++files;
        size_t cells = 0;
        const QString dump = RunPeer(Python3(), {"-c", script, ours.FileName});
        for (const QString& line : dump.split('\n', Qt::SkipEmptyParts)) {
            const QStringList cell = line.mid(1, line.size() - 2).split(", ");
            const int sheet = cell[0].toInt(), row = cell[1].toInt(), col = cell[2].toInt();
            const QString expected =
                QJsonDocument::fromJson(("[" + cell.mid(3).join(", ") + "]").toUtf8()).array()[0].toString();
            QVariant value;
            ASSERT_TRUE(ours.ReadCell(sheet, col, row, value)) << line.toStdString();
            const QString got = value.typeId() == QMetaType::Double
                                    ? QString::number(value.toDouble(), 'g', 17)
                                    : value.toString();
            const QString want = value.typeId() == QMetaType::Double
                                     ? QString::number(expected.toDouble(), 'g', 17)
                                     : expected;
            EXPECT_EQ(got, want) << entry.path().filename() << " " << line.toStdString();
            ++cells;
        }
        EXPECT_EQ(ours.CellCount(), cells) << entry.path().filename();
    }
    EXPECT_GE(files, 5);
}
