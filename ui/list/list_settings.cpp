#include "ui/list/list_settings.h"

#include <QFile>

#include "platform/fs.h"
#include "platform/ini.h"

bool SaveColumnSizes(const ColumnSize& sizes, const std::vector<int>& widths) {
    if (!sizes.Save || sizes.Key.isEmpty() || sizes.Section.isEmpty()) return false;
    std::filesystem::path file(QFile::encodeName(sizes.Key).toStdString());
    if (file.is_relative()) file = DataDir() / file;
    IniFile store(file);
    for (std::size_t i = 0; i < widths.size(); ++i)
        store.WriteInteger(sizes.Section, QStringLiteral("col") + QString::number(i), widths[i]);
    return store.Save().empty();
}
