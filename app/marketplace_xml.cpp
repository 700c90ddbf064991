// The marketplace's XML inventory: <INVENTORY> holding <ITEM> elements whose children give id, colour,
// quantity and description.
#include <QList>

#include "app/imported_formats.h"
#include "app/inventory_fields.h"

namespace {

struct XmlElement {
    QString tag; // upper-cased
    QString value;
};

QString DecodeEntities(QString text) {
    if (!text.contains(u'&')) return text;
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    text.replace(QStringLiteral("&apos;"), QStringLiteral("'"));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text;
}

bool HasTag(const XmlElement& e, QStringView tag) {
    return e.tag == tag;
}

const XmlElement* FindTag(const QList<XmlElement>& elements, std::initializer_list<QStringView> tags) {
    for (QStringView tag : tags)
        for (const XmlElement& e : elements)
            if (e.tag == tag) return &e;
    return nullptr;
}

struct ItemFields {
    QString id, colourId, quantity, description;
    bool hasColour = false, hasId = false, hasQuantity = false;
};

ItemFields ByName(const QList<XmlElement>& elements) {
    ItemFields item;
    if (auto e = FindTag(elements, {u"ITEMID"})) item.id = e->value, item.hasId = true;
    if (auto e = FindTag(elements, {u"COLOR"})) item.colourId = e->value, item.hasColour = true;
    if (auto e = FindTag(elements, {u"QTY", u"MINQTY"})) item.quantity = e->value, item.hasQuantity = true;
    if (auto e = FindTag(elements, {u"DESCRIPTION", u"ITEMNAME"})) item.description = e->value;
    if (!item.hasQuantity) item.quantity = QStringLiteral("1");
    return item;
}

// Older files are read by position: 2 colour, 4 quantity, then optional image and description, condition,
// item type, optional id and optional sale flag.
ItemFields ByPosition(const QList<XmlElement>& elements) {
    ItemFields item;
    auto at = [&](qsizetype k) { return k < elements.size() ? &elements[k] : nullptr; };
    if (auto e = at(1)) item.colourId = e->value, item.hasColour = true;
    if (auto e = at(3)) item.quantity = e->value, item.hasQuantity = true;
    qsizetype k = 5;
    if (auto e = at(k); e && HasTag(*e, u"IMAGE")) ++k;
    if (auto e = at(k); e && HasTag(*e, u"DESCRIPTION")) item.description = e->value, ++k;
    k += 2;
    if (auto e = at(k); e && HasTag(*e, u"ITEMID")) item.id = e->value, item.hasId = true;
    return item;
}

// Items naming their colour, quantity, type or condition are read by tag name, in any element order. The
// positional layout finds its description and id by tag itself, so those two tags alone do not count.
bool CarriesKnownTags(const QList<XmlElement>& elements) {
    return FindTag(elements, {u"COLOR", u"QTY", u"MINQTY", u"ITEMNAME", u"ITEMTYPE", u"CONDITION"}) !=
           nullptr;
}

void AddItem(const InventoryLookups& lookups, RowAdder& rows, const QList<XmlElement>& elements, int lineNo) {
    const ItemFields item = CarriesKnownTags(elements) ? ByName(elements) : ByPosition(elements);
    if (item.id.isEmpty() && (!item.hasQuantity || item.quantity.isEmpty())) return;
    const QString colour =
        item.hasColour ? MarketplaceColourName(lookups, item.colourId) : QStringLiteral("NotFound");
    // The remarks are the item's notes, on one line like every note.
    const XmlElement* remarks = FindTag(elements, {u"REMARKS"});
    rows.Add(item.id, MarketplaceDescription(lookups, item.id, item.description), colour, item.quantity,
             QString(), remarks ? remarks->value.simplified() : QString(), lineNo);
}

// Walks the tags of the text, collecting the children of each ITEM; stops at </INVENTORY>.
class XmlItemReader {
  public:
    XmlItemReader(const InventoryLookups& lookups, RowAdder& rows) : lookups_(lookups), rows_(rows) {}

    // False when the text ends before </INVENTORY>.
    bool Read(const QString& text) {
        const qsizetype n = text.size();
        qsizetype pos = 0;
        while (pos < n) {
            const qsizetype open = text.indexOf(u'<', pos);
            if (open < 0) break;
            if (inElement_) current_.value += QStringView(text).mid(pos, open - pos);
            line_ += static_cast<int>(QStringView(text).mid(pos, open - pos).count(u'\n'));
            if (QStringView(text).mid(open, 4) == u"<!--") {
                const qsizetype end = text.indexOf(QStringLiteral("-->"), open + 4);
                if (end < 0) return false;
                pos = end + 3;
                continue;
            }
            const qsizetype close = text.indexOf(u'>', open);
            if (close < 0) return false;
            if (!Tag(QStringView(text).mid(open + 1, close - open - 1))) return true;
            pos = close + 1;
        }
        return false;
    }

  private:
    // False at the end of the inventory.
    bool Tag(QStringView inside) {
        if (inside.startsWith(u'?') || inside.startsWith(u'!')) return true;
        const bool closing = inside.startsWith(u'/');
        const bool selfClosing = inside.endsWith(u'/');
        QStringView name = inside.mid(closing ? 1 : 0);
        if (selfClosing) name.chop(1);
        name = name.trimmed();
        if (qsizetype blank = name.indexOf(u' '); blank >= 0) name = name.left(blank);
        const QString tag = name.toString().toUpper();

        if (tag == u"INVENTORY") return !closing;
        if (tag == u"ITEM") {
            if (closing && inItem_) AddItem(lookups_, rows_, elements_, line_ + 1);
            inItem_ = !closing && !selfClosing;
            inElement_ = false;
            elements_.clear();
            return true;
        }
        if (!inItem_) return true;
        if (closing) {
            if (inElement_ && tag == current_.tag) {
                current_.value = DecodeEntities(TrimField(current_.value));
                elements_ << current_;
                inElement_ = false;
            }
        } else if (selfClosing) {
            elements_ << XmlElement{tag, QString()};
        } else {
            current_ = XmlElement{tag, QString()};
            inElement_ = true;
        }
        return true;
    }

    const InventoryLookups& lookups_;
    RowAdder& rows_;
    QList<XmlElement> elements_;
    XmlElement current_;
    bool inItem_ = false;
    bool inElement_ = false;
    int line_ = 0;
};

} // namespace

ParsedInventory ReadBrickLinkXmlFile(const InventorySource& file, const InventoryLookups& lookups) {
    ParsedInventory parsed;
    const QString text = InventoryText(file);
    RowAdder rows(parsed, lookups, file.path);
    if (!XmlItemReader(lookups, rows).Read(text))
        rows.Note(QStringLiteral("%1 ended before </INVENTORY>: the %2 items read before that are kept.")
                      .arg(file.path)
                      .arg(rows.Added()));
    rows.Finish();
    return parsed;
}
