// Reads the bytes as master.txt (the web service delivers it): the rows, the category tree, and a
// filter whose terms come from the same bytes.
#include <cstdint>
#include <string_view>

#include "app/master_list.h"
#include "platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = DecodeText(std::string_view(reinterpret_cast<const char*>(data), size));
    const MasterListData list = ParseMasterList(text, [](int) {});
    BuildCategoryTree(list.rows);
    MasterSearch(list).Matching(FilterTerms(text.left(24).toUpper()));
    return 0;
}
