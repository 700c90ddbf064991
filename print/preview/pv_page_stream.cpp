// The stream form of a whole page list.
#include <QFont>
#include <algorithm>

#include "platform/stream.h"
#include "print/preview/pv_font_mapper.h"
#include "print/preview/pv_page_list.h"

namespace {

// Lengths a document may hold, in inches: no sheet is larger, and larger ones could not be drawn.
constexpr long double kMaxInches = 200;

struct ParsedPage {
    PvValueList settings;
    std::vector<PvValueList> objects, richText;
};

// A count of value lists that follow, each at least its four-byte length long.
int ListCount(const PvValueList& values, const QString& name, Stream& stream) {
    const int count = values.ReadInteger(name, 0);
    if (count < 0 || count > BytesLeft(stream) / 4) throw EStreamError("Count beyond the stream");
    return count;
}

std::vector<PvValueList> LoadLists(Stream& stream, int count) {
    std::vector<PvValueList> lists(static_cast<size_t>(count));
    for (PvValueList& list : lists)
        list.LoadFromStream(stream);
    return lists;
}

long double Length(const PvValueList& values, const QString& name, long double def) {
    const long double inches = values.ReadFloat(name, def);
    if (!(inches >= 0 && inches <= kMaxInches)) throw EStreamError("Length out of range");
    return inches;
}

PvPoint Size(const PvValueList& values, const QString& name, PvPoint def) {
    const PvPoint size = values.ReadPoint(name, def);
    for (long double side : {size.X, size.Y})
        if (!(side > 0 && side <= kMaxInches)) throw EStreamError("Page size out of range");
    return size;
}

template <class Enum> Enum EnumValue(const PvValueList& values, const QString& name, Enum def, int count) {
    const int value = values.ReadInteger(name, def);
    return value >= 0 && value < count ? static_cast<Enum>(value) : def;
}

// The stored items entered into the live list, in the same order.
template <class Item> PvRefs<Item> Enter(PvResourceList<Item>& list, const PvRefs<Item>& stored, bool share) {
    PvRefs<Item> entered;
    entered.reserve(stored.size());
    for (const PvRef<Item>& item : stored)
        entered.push_back(item ? list.Add(*item, share) : PvRef<Item>());
    return entered;
}

void SaveHeaderFooter(PvValueList& values, const QString& prefix, const PvHeaderFooter& part) {
    values.WriteInteger(prefix + QStringLiteral("V"), part.Visible);
    values.WriteInteger(prefix + QStringLiteral("SL"), part.ShowLine);
    values.WriteString(prefix + QStringLiteral("P"), part.Pen.ToText());
    values.WriteFloat(prefix + QStringLiteral("H"), part.Height.Inches());
    const std::pair<const char*, const PvHeaderFooterCaption*> captions[] = {
        {"L", &part.CaptionLeft}, {"C", &part.CaptionCenter}, {"R", &part.CaptionRight}};
    for (const auto& [place, caption] : captions) {
        values.WriteText(prefix + QLatin1String(place), caption->Caption);
        values.WriteString(prefix + QLatin1String(place) + QStringLiteral("F"), caption->Font.toString());
    }
}

void LoadHeaderFooter(const PvValueList& values, const QString& prefix, PvHeaderFooter& part) {
    part.Visible = values.ReadInteger(prefix + QStringLiteral("V"), part.Visible) != 0;
    part.ShowLine = values.ReadInteger(prefix + QStringLiteral("SL"), part.ShowLine) != 0;
    if (auto pen = PvPen::FromText(values.ReadString(prefix + QStringLiteral("P"), QString())))
        part.Pen = *pen;
    part.Height.SetInches(Length(values, prefix + QStringLiteral("H"), part.Height.Inches()));
    const std::pair<const char*, PvHeaderFooterCaption*> captions[] = {
        {"L", &part.CaptionLeft}, {"C", &part.CaptionCenter}, {"R", &part.CaptionRight}};
    for (const auto& [place, caption] : captions) {
        caption->Caption = values.ReadText(prefix + QLatin1String(place), caption->Caption);
        QFont font;
        if (font.fromString(
                values.ReadString(prefix + QLatin1String(place) + QStringLiteral("F"), QString())) &&
            font.pointSizeF() > 0 && font.pointSizeF() <= kMaxFontPoints)
            caption->Font = font;
    }
}

} // namespace

void PvPageList::SaveToStream(Stream& stream) const {
    PvValueList settings;
    settings.WriteFloat(QStringLiteral("VER"), kPvVersion);
    settings.WriteInteger(QStringLiteral("PS"), paper_);
    settings.WriteInteger(QStringLiteral("OR"), orientation_);
    settings.WriteInteger(QStringLiteral("PPS"), PagesPerSheet);
    settings.WritePoint(QStringLiteral("CS"), customSize_);
    settings.WriteInteger(QStringLiteral("PC"), Count());
    settings.WriteInteger(QStringLiteral("CP"), current_);
    settings.WriteInteger(QStringLiteral("MU"), Margins.ValueMeasurement);
    settings.WriteString(QStringLiteral("MV"), Margins.MarginValuesText());
    settings.WriteInteger(QStringLiteral("MF"),
                          Margins.ClipMargins | Margins.ShowPrinterMargins << 1 | Margins.Visible << 2);
    SaveHeaderFooter(settings, QStringLiteral("H"), Header);
    SaveHeaderFooter(settings, QStringLiteral("F"), Footer);
    settings.SaveToStream(stream);
    SaveBrushes(stream, Resources.Brushes);
    SaveFonts(stream, Resources.Fonts);
    SavePens(stream, Resources.Pens);
    SaveGraphics(stream, Resources.Graphics);
    SaveMemos(stream, Resources.Memos);
    for (const auto& page : pages_) {
        PvValueList values;
        values.WritePoint(QStringLiteral("XY"), page->Size);
        values.WriteInteger(QStringLiteral("SH"), page->ShowHeader);
        values.WriteInteger(QStringLiteral("SF"), page->ShowFooter);
        values.WriteInteger(QStringLiteral("OC"), static_cast<int>(page->Objects().size()));
        values.WriteInteger(QStringLiteral("RC"), static_cast<int>(page->RichText.size()));
        values.SaveToStream(stream);
        for (const auto& object : page->Objects()) {
            PvValueList objectValues;
            object->Save(objectValues);
            objectValues.SaveToStream(stream);
        }
        for (const PvRichTextBlock& block : page->RichText) {
            PvValueList blockValues;
            blockValues.WriteInteger(QStringLiteral("M"), block.Memo.Index());
            blockValues.WriteRect(QStringLiteral("XY"), block.Rect);
            blockValues.SaveToStream(stream);
        }
    }
}

bool PvPageList::LoadFromStream(Stream& stream, const std::function<bool(long double version)>& beforeLoad) {
    PvValueList settings;
    settings.LoadFromStream(stream);
    if (!settings.Has(QStringLiteral("VER"))) throw EStreamError("Not a preview document");
    if (beforeLoad && !beforeLoad(settings.ReadFloat(QStringLiteral("VER"), 0))) return false;

    // Everything is read and checked before the document changes.
    PvResourceTable parsed;
    PvStreamRefs stored;
    stored.Brushes = LoadBrushes(stream, parsed.Brushes);
    stored.Fonts = LoadFonts(stream, parsed.Fonts);
    stored.Pens = LoadPens(stream, parsed.Pens);
    stored.Graphics = LoadGraphics(stream, parsed.Graphics, false);
    stored.Memos = LoadMemos(stream, parsed.Memos);
    const int pageCount = ListCount(settings, QStringLiteral("PC"), stream);
    if (pageCount == 0) throw EStreamError("A document without pages");
    std::vector<ParsedPage> parsedPages(static_cast<size_t>(pageCount));
    for (ParsedPage& page : parsedPages) {
        page.settings.LoadFromStream(stream);
        Size(page.settings, QStringLiteral("XY"), {1, 1});
        page.objects = LoadLists(stream, ListCount(page.settings, QStringLiteral("OC"), stream));
        page.richText = LoadLists(stream, ListCount(page.settings, QStringLiteral("RC"), stream));
    }
    const PvPaperSize paper = EnumValue(settings, QStringLiteral("PS"), paper_, kPaperSizeCount);
    const PvPoint customSize =
        paper == Custom ? Size(settings, QStringLiteral("CS"), customSize_) : customSize_;
    PvMargins margins = Margins;
    margins.ValueMeasurement =
        EnumValue(settings, QStringLiteral("MU"), margins.ValueMeasurement, pvTwips + 1);
    if (settings.Has(QStringLiteral("MV")) &&
        !margins.SetMarginValuesText(settings.ReadString(QStringLiteral("MV"), QString())))
        throw EStreamError("Unreadable margins");
    PvHeaderFooter header = Header, footer = Footer;
    LoadHeaderFooter(settings, QStringLiteral("H"), header);
    LoadHeaderFooter(settings, QStringLiteral("F"), footer);

    BeginUpdate();
    pages_.clear();
    Resources.Clear();
    const PvStreamRefs entered{Enter(Resources.Brushes, stored.Brushes, true),
                               Enter(Resources.Fonts, stored.Fonts, true),
                               Enter(Resources.Pens, stored.Pens, true),
                               Enter(Resources.Graphics, stored.Graphics, Resources.CompareGraphics),
                               Enter(Resources.Memos, stored.Memos, true)};
    Resources.UseStored(&entered);
    for (const ParsedPage& parsedPage : parsedPages) {
        auto page = std::make_unique<PvPage>(Size(parsedPage.settings, QStringLiteral("XY"), {1, 1}));
        page->ShowHeader = parsedPage.settings.ReadInteger(QStringLiteral("SH"), 1) != 0;
        page->ShowFooter = parsedPage.settings.ReadInteger(QStringLiteral("SF"), 1) != 0;
        for (const PvValueList& values : parsedPage.objects) {
            std::unique_ptr<PvBaseObject> object =
                CreatePvObject(values.ReadInteger(QStringLiteral("ID"), 0), Resources);
            if (!object) continue; // a kind this program does not know
            object->Load(values);
            object->SetOwner(this);
            page->Objects().push_back(std::move(object));
        }
        for (const PvValueList& values : parsedPage.richText)
            if (PvRef<PvMemo> memo = Resources.Memos.Named(values.ReadInteger(QStringLiteral("M"), -1)))
                page->RichText.push_back({std::move(memo), values.ReadRect(QStringLiteral("XY"), {})});
        pages_.push_back(std::move(page));
    }
    Resources.UseStored(nullptr);
    paper_ = paper;
    orientation_ = EnumValue(settings, QStringLiteral("OR"), orientation_, pvLandscape + 1);
    PagesPerSheet = EnumValue(settings, QStringLiteral("PPS"), PagesPerSheet, pvFourPage + 1);
    customSize_ = customSize;
    const int flags = settings.ReadInteger(QStringLiteral("MF"), 0);
    margins.ClipMargins = flags & 1;
    margins.ShowPrinterMargins = flags & 2;
    margins.Visible = flags & 4;
    Margins = margins;
    Header = header;
    Footer = footer;
    Printer.SetPaperSize(paper_, customSize_);
    Printer.SetOrientation(orientation_);
    current_ = std::clamp(settings.ReadInteger(QStringLiteral("CP"), 1), 1, Count());
    Notify(PagesChange | CurrentChange | PaperChange | OrientationChange);
    EndUpdate();
    return true;
}
