// Feeds arbitrary bytes to the LDraw line processor (as a top file over a small crafted library with a
// cycle and a deep fan-out) and to the colour configuration reader.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "ldraw/ldraw_colors.h"
#include "ldraw/ldraw_view.h"
#include "platform/text.h"
#include "support/folder.h"

namespace {

std::filesystem::path root;
LDrawRenderer* renderer = nullptr;

void Write(const std::string& relative, const std::string& text) {
    std::filesystem::path path = root / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string Ref(const std::string& name) {
    return "1 16 0 0 0 1 0 0 0 1 0 0 0 1 " + name + "\n";
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static const Folder folder("tessarin-fuzz-ldraw");
    root = folder.path;
    Write("p/stud.dat",
          "4 16 -6 0 -6 6 0 -6 6 0 6 -6 0 6\n2 24 -6 0 -6 6 0 6\n5 24 0 0 0 0 -4 0 1 0 0 -1 0 0\n");
    Write("parts/s/Sub.dat", Ref("stud.dat") + "3 16 0 0 0 10 0 0 0 10 0\n");
    Write("parts/self.dat", Ref("self.dat") + Ref("s\\sub.dat"));
    for (int i = 0; i < 30; ++i) {
        std::string next = "fan" + std::to_string(i + 1) + ".dat";
        Write("parts/fan" + std::to_string(i) + ".dat", Ref(next) + Ref(next) + "2 24 0 0 0 5 5 0\n");
    }
    renderer = new LDrawRenderer();
    renderer->SetLibrary(root);
    renderer->InitTarget(64, 48);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    Write("ldconfig.ldr", bytes);
    renderer->Colours().Load(root / "ldconfig.ldr");
    renderer->InitTarget(64, 48);
    renderer->RenderLines(SplitLines(DecodeText(bytes)), {4, 2, 0.5f, 0.7f, -0.3f, {}});
    return 0;
}
