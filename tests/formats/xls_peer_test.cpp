// Other programs read what we write, and we read what they write.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

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

// The Debian python has the packaged peer; a python earlier on PATH may not.
QString Python() {
    return QFile::exists("/usr/bin/python3") ? QStringLiteral("/usr/bin/python3") : QStringLiteral("python3");
}

bool HasXlrd() {
    return QProcess::execute(Python(), {"-c", "import xlrd"}) == 0;
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
    QString out = RunPeer(Python(), {"-c", script, QString::fromStdString(path.string())});
    EXPECT_EQ(out.toStdString(), QString::fromUtf8("Sheet1 4 5\n"
                                                   "Ldraw# Part Name \u00e9 \u4e2d 3001 2.0 3.5\n"
                                                   "2 5.5\n"
                                                   "700 400\n"
                                                   "11000 Arial")
                                     .toStdString());
}
