#pragma once

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/gfx/sys_colors.h"
#include "print/pen_mode.h"
#include "print/preview/pv_units.h"

class Graphic;
class Stream;

// Brush, pen and font descriptions as the window system knows them; colours are $00BBGGRR.
enum PvBrushStyle {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};
enum PvPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum PvFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4 };

struct PvBrush {
    int32_t Color = clWhite;
    int Style = bsSolid;
    bool operator==(const PvBrush&) const = default;
    void Save(PvValueList& values) const;
    static PvBrush Load(const PvValueList& values);
};

struct PvPen {
    int32_t Color = clBlack;
    int Width = 1;
    int Style = psSolid;
    int Mode = pmCopy;
    bool operator==(const PvPen&) const = default;
    void Save(PvValueList& values) const;
    static PvPen Load(const PvValueList& values);
    // "colour,width,style,mode" in decimal.
    QString ToText() const;
    // Nothing unless the text holds four integers.
    static std::optional<PvPen> FromText(const QString& text);
};

struct PvFont {
    int32_t Color = clWhite;
    int Style = 0; // PvFontStyle bits
    QString Name = QStringLiteral("Arial");
    int Size = 10; // points
    int Angle = 0;
    int Charset = 1;
    bool operator==(const PvFont&) const = default;
    void Save(PvValueList& values) const;
    static PvFont Load(const PvValueList& values);
};

// A picture kept by the resource table: a bitmap, or a JPEG image whose file bytes are kept for saving. Its
// pixels are kept deflated (documents of thousands of pictures stay small) and unpacked when drawn.
struct PvGraphic {
    enum Kind : uint8_t { Jpeg = 0, Metafile = 1, Bitmap = 2 };
    Kind kind = Bitmap;
    QByteArray jpegBytes;
    size_t hash = 0; // of size and contents, set by Make

    static PvGraphic Make(QImage image);
    // JPEG images keep their file bytes; any other kind of picture becomes a bitmap.
    static PvGraphic Make(const Graphic& graphic);
    // Opaque pictures come back at three bytes a pixel, others with their alpha.
    QImage Image() const;
    QSize Size() const { return size_; }
    // What the pixels take while kept.
    qsizetype PackedBytes() const { return packed_.size(); }
    bool operator==(const PvGraphic& other) const;

  private:
    QSize size_;
    QImage::Format format_ = QImage::Format_Invalid;
    QByteArray packed_; // the rows without their padding, deflated
};

// A piece of rich text, kept as RTF.
struct PvMemo {
    QByteArray Rtf;
    bool operator==(const PvMemo&) const = default;
};

size_t ResourceHash(const PvBrush& brush);
size_t ResourceHash(const PvPen& pen);
size_t ResourceHash(const PvFont& font);
inline size_t ResourceHash(const PvGraphic& graphic) {
    return graphic.hash;
}
inline size_t ResourceHash(const PvMemo& memo) {
    return qHash(memo.Rtf);
}

template <class Item> class PvResourceList;

// A counted reference to one stored resource. Copies count; the last one to go deletes the item. A reference
// outliving its list's Clear keeps its item alive on its own.
template <class Item> class PvRef {
  public:
    PvRef() = default;
    PvRef(const PvRef& other) : entry_(other.entry_) {
        if (entry_) ++entry_->count;
    }
    PvRef(PvRef&& other) noexcept : entry_(std::move(other.entry_)) {}
    PvRef& operator=(PvRef other) noexcept {
        std::swap(entry_, other.entry_);
        return *this;
    }
    ~PvRef() { Reset(); }

    explicit operator bool() const { return entry_ != nullptr; }
    const Item& operator*() const { return entry_->item; }
    const Item* operator->() const { return &entry_->item; }
    // The item's position in its list now: what a saved object names it by. -1 for none.
    int Index() const { return entry_ && entry_->owner ? entry_->position : -1; }
    void Reset();

  private:
    friend class PvResourceList<Item>;
    struct Entry {
        Item item;
        int count = 1;
        int position = 0;
        PvResourceList<Item>* owner = nullptr;
    };
    explicit PvRef(std::shared_ptr<Entry> entry) : entry_(std::move(entry)) {}
    std::shared_ptr<Entry> entry_;
};

// Resources of one kind, each distinct item stored once with the number of references to it, in order.
template <class Item> class PvResourceList {
  public:
    using Ref = PvRef<Item>;

    PvResourceList() = default;
    PvResourceList(const PvResourceList&) = delete;
    PvResourceList& operator=(const PvResourceList&) = delete;
    ~PvResourceList() { Clear(); }

    // With share set, an equal stored item is referenced once more; otherwise (or with none) a copy is
    // appended with one reference.
    Ref Add(const Item& item, bool share = true) {
        const size_t hash = ResourceHash(item);
        if (share) {
            for (auto [hit, end] = byHash_.equal_range(hash); hit != end; ++hit)
                if (hit->second->item == item) {
                    ++hit->second->count;
                    return Ref(entries_[static_cast<size_t>(hit->second->position)]);
                }
        }
        auto entry = std::make_shared<typename Ref::Entry>(typename Ref::Entry{item, 1, Count(), this});
        byHash_.emplace(hash, entry.get());
        entries_.push_back(entry);
        return Ref(std::move(entry));
    }
    // A new reference to the item a saved object names by index: this list's item, or while a stored
    // document loads (UseStored), the item stored at that place. None outside either.
    Ref Named(int index) {
        if (!stored_) return At(index);
        if (index < 0 || static_cast<size_t>(index) >= stored_->size()) return {};
        return (*stored_)[static_cast<size_t>(index)];
    }
    void UseStored(const std::vector<Ref>* stored) { stored_ = stored; }
    // A new reference to item index; none outside the list.
    Ref At(int index) {
        if (index < 0 || index >= Count()) return {};
        ++entries_[static_cast<size_t>(index)]->count;
        return Ref(entries_[static_cast<size_t>(index)]);
    }

    int Count() const { return static_cast<int>(entries_.size()); }
    const Item& Items(int index) const { return entries_[static_cast<size_t>(index)]->item; }
    int RefCount(int index) const { return entries_[static_cast<size_t>(index)]->count; }

    // Forgets every item; references still held keep theirs alive on their own.
    void Clear() {
        for (auto& entry : entries_)
            entry->owner = nullptr;
        entries_.clear();
        byHash_.clear();
    }

  private:
    friend class PvRef<Item>;
    void Remove(typename Ref::Entry* entry) {
        const size_t hash = ResourceHash(entry->item);
        for (auto [hit, end] = byHash_.equal_range(hash); hit != end; ++hit)
            if (hit->second == entry) {
                byHash_.erase(hit);
                break;
            }
        const auto at = entries_.begin() + entry->position;
        entry->owner = nullptr;
        for (auto later = entries_.erase(at); later != entries_.end(); ++later)
            --(*later)->position;
    }

    std::vector<std::shared_ptr<typename Ref::Entry>> entries_;
    std::unordered_multimap<size_t, typename Ref::Entry*> byHash_;
    const std::vector<Ref>* stored_ = nullptr;
};

template <class Item> void PvRef<Item>::Reset() {
    if (!entry_) return;
    if (--entry_->count == 0 && entry_->owner) entry_->owner->Remove(entry_.get());
    entry_.reset();
}

// The counts of a list as a value list: "RC" the number of items, then "RN1", "RN2", ... each item's count.
template <class Item> PvValueList ReferenceCounts(const PvResourceList<Item>& list) {
    PvValueList values;
    values.WriteInteger(QStringLiteral("RC"), list.Count());
    for (int i = 0; i < list.Count(); ++i)
        values.WriteInteger(QStringLiteral("RN%1").arg(i + 1), list.RefCount(i));
    return values;
}

template <class Item> using PvRefs = std::vector<PvRef<Item>>;

// The resources of a stored document in the order it stored them, which is how its objects name them.
struct PvStreamRefs {
    PvRefs<PvBrush> Brushes;
    PvRefs<PvFont> Fonts;
    PvRefs<PvPen> Pens;
    PvRefs<PvGraphic> Graphics;
    PvRefs<PvMemo> Memos;
};

// Brushes, fonts, pens, pictures and rich texts shared by all pages of a document.
class PvResourceTable {
  public:
    PvResourceList<PvBrush> Brushes;
    PvResourceList<PvFont> Fonts;
    PvResourceList<PvPen> Pens;
    PvResourceList<PvGraphic> Graphics;
    PvResourceList<PvMemo> Memos;
    // Equal pictures are stored once.
    bool CompareGraphics = false;

    void Clear();
    // While a stored document loads, saved objects name its resources in the order it stored them; null
    // when it has loaded.
    void UseStored(const PvStreamRefs* refs);
};

// Stream forms: an item count, then each brush, font or pen as a value list; each picture as a kind byte,
// the absolute position where the next item begins and the picture's file bytes; each rich text as a byte
// count and its RTF. Saving writes the items in list order; loading adds them and returns one reference per
// loaded item, in stream order (null for a picture of an unknown kind). Loading raises EStreamError on
// counts, lengths or positions beyond the stream.
void SaveBrushes(Stream& stream, const PvResourceList<PvBrush>& list);
void SavePens(Stream& stream, const PvResourceList<PvPen>& list);
void SaveFonts(Stream& stream, const PvResourceList<PvFont>& list);
void SaveGraphics(Stream& stream, const PvResourceList<PvGraphic>& list);
std::vector<PvRef<PvBrush>> LoadBrushes(Stream& stream, PvResourceList<PvBrush>& list);
std::vector<PvRef<PvPen>> LoadPens(Stream& stream, PvResourceList<PvPen>& list);
std::vector<PvRef<PvFont>> LoadFonts(Stream& stream, PvResourceList<PvFont>& list);
std::vector<PvRef<PvGraphic>> LoadGraphics(Stream& stream, PvResourceList<PvGraphic>& list, bool share);
void SaveMemos(Stream& stream, const PvResourceList<PvMemo>& list);
std::vector<PvRef<PvMemo>> LoadMemos(Stream& stream, PvResourceList<PvMemo>& list);
