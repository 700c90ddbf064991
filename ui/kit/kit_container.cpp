#include "ui/kit/kit_container.h"

#include <QLibrary>

#include "platform/fs.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "platform/stream.h"
#include "platform/text.h"
#include "ui/bitmap/kit_graphics.h"
#include "ui/kit/kit_list_items.h"
#include "ui/kit/kit_records.h"

namespace {

struct KindFacts {
    const char* magic;
    const char* extension;
};
constexpr KindFacts kKinds[] = {
    {"KITIML30", "iml"}, {"KITBML30", "bmp"}, {"KITWVL30", "wav"}, {"KITSLL30", "txt"}, {"KITRTL30", "rtf"}};

const KindFacts& FactsOf(KitContainerKind kind) {
    return kKinds[static_cast<size_t>(kind)];
}

// The smallest item record is its 4-byte flags.
constexpr int64_t kMinRecord = 4;

} // namespace

void KitBaseContainer::RegisterChanges(KitChangeLink* link) {
    if (link->sender_ == this) return;
    if (link->sender_) link->sender_->UnregisterChanges(link);
    link->sender_ = this;
    // unguarded: the links repaint their controls
    connect(this, &KitBaseContainer::LinksNotified, link, [link] { link->Change(); });
}

void KitBaseContainer::UnregisterChanges(KitChangeLink* link) {
    disconnect(this, &KitBaseContainer::LinksNotified, link, nullptr);
    if (link->sender_ == this) link->sender_ = nullptr;
}

void KitBaseContainer::Changed() {
    if (Updating()) return;
    // A control that unlinks itself meanwhile is not notified any more.
    emit LinksNotified();
    KitComponent::Changed();
}

KitCustomContainer::KitCustomContainer(KitContainerKind kind, QObject* owner)
    : KitBaseContainer(owner), kind_(kind) {}

KitCustomContainer::~KitCustomContainer() = default;

KitListItem* KitCustomContainer::Item(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return items_[size_t(index)].get();
}

KitListItem* KitCustomContainer::Add(std::unique_ptr<KitListItem> item) {
    if (!item) item = CreateItem();
    items_.push_back(std::move(item));
    Changed();
    return items_.back().get();
}

void KitCustomContainer::Clear() {
    items_.clear();
    Changed();
}

void KitCustomContainer::Assign(const KitCustomContainer& source) {
    if (&source == this) return;
    if (typeid(source) != typeid(*this)) throw std::invalid_argument("Cannot assign this container");
    std::vector<std::unique_ptr<KitListItem>> copies;
    for (const auto& item : source.items_) {
        copies.push_back(CreateItem());
        copies.back()->AssignItem(*item);
    }
    kind_ = source.kind_;
    items_ = std::move(copies);
    Changed();
}

void KitCustomContainer::ForEach(const std::function<void(KitListItem&)>& visit) const {
    for (const auto& item : items_)
        visit(*item);
}

void KitCustomContainer::WriteStream(Stream& stream) const {
    WriteInteger(stream, Count());
    for (const auto& item : items_)
        item->WriteRecord(stream);
}

void KitCustomContainer::ReadStream(Stream& stream, bool append) {
    const int32_t count = ReadInteger(stream);
    if (count < 0 || count > (stream.Size() - stream.Position()) / kMinRecord)
        throw EStreamError("Item count is larger than the stream");
    std::vector<std::unique_ptr<KitListItem>> read;
    read.reserve(size_t(count));
    for (int32_t i = 0; i < count; ++i) {
        read.push_back(CreateItem());
        read.back()->ReadRecord(stream);
    }
    if (!append) items_.clear();
    for (auto& item : read)
        items_.push_back(std::move(item));
    Changed();
}

void KitCustomContainer::SaveToFile(const std::filesystem::path& path) const {
    MemoryStream stream;
    const std::string magic = Magic(kind_).toStdString();
    WriteByte(stream, static_cast<uint8_t>(magic.size()));
    stream.WriteBuffer(magic.data(), magic.size());
    WriteStream(stream);
    const auto& bytes = stream.Bytes();
    const std::string error =
        AtomicWrite(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (!error.empty()) throw EStreamError(error);
}

void KitCustomContainer::LoadFromFile(const std::filesystem::path& path) {
    FileStream stream(path, FileStream::fmOpenRead);
    LoadFromStream(stream, path.string());
    FileName = QString::fromStdString(path.string());
}

void KitCustomContainer::LoadFromStream(Stream& stream, const std::string& name) {
    char header[9] = {};
    if (stream.Read(header, 9) != 9 || header[0] != 8 || Magic(kind_) != QLatin1String(header + 1, 8))
        throw EStreamError("Cannot open file %s: " + name);
    ReadStream(stream, false);
}

QString KitCustomContainer::Magic(KitContainerKind kind) {
    return QString::fromLatin1(FactsOf(kind).magic);
}

QString KitCustomContainer::DefaultExtension(KitContainerKind kind, bool withDot) {
    return (withDot ? "." : "") + QString::fromLatin1(FactsOf(kind).extension);
}

Rect KitCustomImageList::BoundsRect(int index) const {
    const Bitmap* picture = Picture(index);
    return picture ? Rect{0, 0, picture->Width(), picture->Height()} : Rect{};
}

bool KitCustomImageList::HasPicture(int index) const {
    const Bitmap* picture = Picture(index);
    return picture && !picture->Empty();
}

bool KitCustomImageList::CopyPicture(int index, Bitmap& dest) const {
    if (!HasPicture(index)) return false;
    dest = *Picture(index);
    return true;
}

void KitCustomImageList::Draw(int index, Canvas& canvas, int x, int y, unsigned flags) const {
    DrawRect(index, canvas, BoundsRect(index).Offset(x, y), flags);
}

void KitCustomImageList::DrawRect(int index, Canvas& canvas, const Rect& rect, unsigned flags) const {
    if (!HasPicture(index)) return;
    Bitmap picture = *Picture(index);
    if (flags & kdTransparent) picture.SetTransparentColor(TransparentColor(index));
    const Bitmap* mask = Mask(index);
    if (mask && !mask->Empty()) {
        // The mask's copy ORs the picture in: it must be black wherever the mask lets the target show.
        for (int y = 0; y < picture.Height(); ++y)
            for (int x = 0; x < picture.Width(); ++x)
                if (mask->Index(x, y)) picture.SetPixel(x, y, qRgb(0, 0, 0));
        flags = (flags & ~unsigned(kdTransparent)) | kdMasked;
    }
    Rect drawn;
    DrawBitmapRect(canvas, rect, picture, drawn, mask, flags);
}

const Bitmap* KitBitmapList::Picture(int index) const {
    auto* item = dynamic_cast<KitBitmapListItem*>(Item(index));
    return item ? &item->Picture : nullptr;
}

QRgb KitBitmapList::TransparentColor(int index) const {
    const Bitmap* picture = Picture(index);
    return picture ? picture->TransparentColor() | 0xFF000000u : qRgb(255, 255, 255);
}

std::unique_ptr<KitListItem> KitBitmapList::CreateItem() {
    auto item = std::make_unique<KitBitmapListItem>(this);
    item->Mode = static_cast<uint8_t>((DefaultCompressed ? 1 : 0) +
                                      (DefaultPixelFormat == KitSavePixelFormat::spf256Colors ? 2 : 0));
    return item;
}

const Bitmap* KitImageList::Picture(int index) const {
    auto* item = dynamic_cast<KitImageListItem*>(Item(index));
    return item ? &item->Image() : nullptr;
}

const Bitmap* KitImageList::Mask(int index) const {
    auto* item = dynamic_cast<KitImageListItem*>(Item(index));
    return item && item->Masked() ? &item->MaskBitmap() : nullptr;
}

QRgb KitImageList::TransparentColor(int index) const {
    auto* item = dynamic_cast<KitImageListItem*>(Item(index));
    return item && item->Count() > 0 ? item->CellTransparentColor(0) : qRgb(255, 255, 255);
}

std::unique_ptr<KitListItem> KitImageList::CreateItem() {
    return std::make_unique<KitImageListItem>(this);
}

std::unique_ptr<KitListItem> KitStringList::CreateItem() {
    return std::make_unique<KitStringListItem>(this);
}

std::unique_ptr<KitListItem> KitWaveList::CreateItem() {
    return std::make_unique<KitWaveListItem>(this);
}

KitContainer::KitContainer(QObject* owner)
    : KitBaseContainer(owner), bitmaps_(new KitBitmapList(this)), images_(new KitImageList(this)),
      strings_(new KitStringList(this)), waves_(new KitWaveList(this)) {}

KitContainer& GlobalContainer() {
    static KitContainer container;
    return container;
}

bool LibraryAvailable(const QString& name) {
    QLibrary library(name);
    if (!library.load()) return false;
    library.unload();
    return true;
}
