#pragma once

#include <QPointer>
#include <QRgb>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "platform/gfx/rect.h"
#include "ui/kit/kit_object.h"

class Bitmap;
class Canvas;
class KitBaseContainer;
class KitListItem;
class Stream;

// The link by which a container tells a control that it changed. Either may be freed first: the
// container's connection to it goes with whichever goes first.
class KitChangeLink : public QObject {
  public:
    explicit KitChangeLink(std::function<void()> onChange = {}) : OnChange(std::move(onChange)) {}

    KitBaseContainer* Sender() const;
    std::function<void()> OnChange;
    void Change() {
        if (OnChange) OnChange();
    }

  private:
    friend class KitBaseContainer;
    QPointer<KitBaseContainer> sender_;
};

// A component that tells linked controls about its changes.
class KitBaseContainer : public KitComponent {
    Q_OBJECT
  public:
    explicit KitBaseContainer(QObject* owner = nullptr) : KitComponent(owner) {}

    // A link hears the changes of one container at a time, in the order the links were registered.
    void RegisterChanges(KitChangeLink* link);
    void UnregisterChanges(KitChangeLink* link);
    int LinkCount() const { return receivers(SIGNAL(LinksNotified())); }
    // Every link's notification, then the container's own.
    void Changed() override;

  signals:
    void LinksNotified();
};

inline KitBaseContainer* KitChangeLink::Sender() const {
    return sender_;
}

// What a container file holds; its magic and default extension follow from it.
enum class KitContainerKind : uint8_t { ckImageList, ckBitmapList, ckWaveList, ckStringList, ckRichTextList };

// A container of items, streamed as a 32-bit count and each item's record, and kept in files that begin
// with a length byte 8 and the eight-character magic of their kind.
class KitCustomContainer : public KitBaseContainer {
    Q_OBJECT
  public:
    explicit KitCustomContainer(KitContainerKind kind, QObject* owner = nullptr);
    ~KitCustomContainer() override;

    KitContainerKind Kind() const { return kind_; }
    int Count() const { return static_cast<int>(items_.size()); }
    // nullptr beyond the items.
    KitListItem* Item(int index) const;
    // Adds the item, or a new one of the container's item class, and notifies.
    KitListItem* Add(std::unique_ptr<KitListItem> item = nullptr);
    void Clear();
    // From a container of the same class: its kind and a copy of each item.
    void Assign(const KitCustomContainer& source);
    void ForEach(const std::function<void(KitListItem&)>& visit) const;

    void WriteStream(Stream& stream) const;
    // Counts and records are checked against the bytes present; on any error the container keeps its
    // items as they were.
    void ReadStream(Stream& stream, bool append);
    QString FileName;
    // Saved atomically; raises with the file's error text on failure.
    void SaveToFile(const std::filesystem::path& path) const;
    // Raises "Cannot open file %s: <name>" when the magic is not this container's kind.
    void LoadFromFile(const std::filesystem::path& path);
    // A container file's bytes from the stream; name goes into the refusal of a wrong magic.
    void LoadFromStream(Stream& stream, const std::string& name);

    static QString Magic(KitContainerKind kind);
    static QString DefaultExtension(KitContainerKind kind, bool withDot);

  protected:
    virtual std::unique_ptr<KitListItem> CreateItem() = 0;

  private:
    std::vector<std::unique_ptr<KitListItem>> items_;
    KitContainerKind kind_;
};

enum class KitSavePixelFormat { spfOwn, spf256Colors };

// Containers of pictures: by item index, their sizes, pictures and drawing.
class KitCustomImageList : public KitCustomContainer {
    Q_OBJECT
  public:
    using KitCustomContainer::KitCustomContainer;

    bool DefaultCompressed = false;
    KitSavePixelFormat DefaultPixelFormat = KitSavePixelFormat::spfOwn;

    // The picture of an item; nullptr beyond the items or for an item without one.
    virtual const Bitmap* Picture(int index) const = 0;
    Rect BoundsRect(int index) const;
    int Width(int index) const { return BoundsRect(index).Width(); }
    int Height(int index) const { return BoundsRect(index).Height(); }
    bool HasPicture(int index) const;
    // Copies the picture into dest; false (dest untouched) when there is none.
    bool CopyPicture(int index, Bitmap& dest) const;
    // White beyond the items.
    virtual QRgb TransparentColor(int index) const = 0;
    // Draws through the bitmap drawing procedures; kdTransparent uses the item's transparent colour.
    void Draw(int index, Canvas& canvas, int x, int y, unsigned flags) const;
    void DrawRect(int index, Canvas& canvas, const Rect& rect, unsigned flags) const;

  protected:
    virtual const Bitmap* Mask(int) const { return nullptr; }
};

class KitBitmapList : public KitCustomImageList {
    Q_OBJECT
  public:
    explicit KitBitmapList(QObject* owner = nullptr)
        : KitCustomImageList(KitContainerKind::ckBitmapList, owner) {}
    const Bitmap* Picture(int index) const override;
    QRgb TransparentColor(int index) const override;

  protected:
    std::unique_ptr<KitListItem> CreateItem() override;
};

class KitImageList : public KitCustomImageList {
    Q_OBJECT
  public:
    explicit KitImageList(QObject* owner = nullptr)
        : KitCustomImageList(KitContainerKind::ckImageList, owner) {}
    const Bitmap* Picture(int index) const override;
    QRgb TransparentColor(int index) const override;

  protected:
    const Bitmap* Mask(int index) const override;
    std::unique_ptr<KitListItem> CreateItem() override;
};

class KitStringList : public KitCustomContainer {
    Q_OBJECT
  public:
    explicit KitStringList(QObject* owner = nullptr)
        : KitCustomContainer(KitContainerKind::ckStringList, owner) {}

  protected:
    std::unique_ptr<KitListItem> CreateItem() override;
};

class KitWaveList : public KitCustomContainer {
    Q_OBJECT
  public:
    explicit KitWaveList(QObject* owner = nullptr)
        : KitCustomContainer(KitContainerKind::ckWaveList, owner) {}

  protected:
    std::unique_ptr<KitListItem> CreateItem() override;
};

// The container that lives for the whole run, with one list of each kind.
class KitContainer : public KitBaseContainer {
    Q_OBJECT
  public:
    explicit KitContainer(QObject* owner = nullptr);
    KitBitmapList& BitmapList() { return *bitmaps_; }
    KitImageList& ImageList() { return *images_; }
    KitStringList& StringList() { return *strings_; }
    KitWaveList& WaveList() { return *waves_; }

  private:
    KitBitmapList* bitmaps_;
    KitImageList* images_;
    KitStringList* strings_;
    KitWaveList* waves_;
};
KitContainer& GlobalContainer();

// True when a shared library of that name can be loaded (it is released again at once).
bool LibraryAvailable(const QString& name);
