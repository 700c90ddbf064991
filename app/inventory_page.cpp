// A set inventory page of the web service saved as HTML text. Two page layouts exist: the older one has one
// table cell per line, the newer one a whole row per line.
#include "app/imported_formats.h"
#include "app/inventory_fields.h"
#include "app/string_utils.h"
#include "platform/text.h"

namespace {

class LineCursor {
  public:
    explicit LineCursor(const QStringList& lines) : lines_(lines) {}
    // The next line, or null at the end.
    const QString* Next() { return next_ < lines_.size() ? &lines_[next_++] : nullptr; }
    const QString* NextNonEmpty() {
        const QString* line = Next();
        while (line && line->isEmpty())
            line = Next();
        return line;
    }
    // Moves past the first line holding any of the texts and returns it; null when none does.
    const QString* SkipTo(std::initializer_list<QStringView> texts) {
        while (const QString* line = Next())
            for (QStringView text : texts)
                if (line->contains(text)) return line;
        return nullptr;
    }
    int LineNo() const { return static_cast<int>(next_); }

  private:
    const QStringList& lines_;
    qsizetype next_ = 0;
};

bool EndsTable(const QString* line) {
    return line && (line->contains(u"</TABLE>") || line->contains(u"</table>"));
}

QString Without(QString text, std::initializer_list<QStringView> parts) {
    for (QStringView part : parts)
        text.remove(part.toString());
    return text;
}

// The text before marker; `rest` keeps what follows the marker and `skip` more characters.
QString CutBefore(QString& rest, QStringView marker, qsizetype skip = 0) {
    const qsizetype at = rest.indexOf(marker);
    if (at < 0) {
        QString all = rest;
        rest.clear();
        return all;
    }
    QString front = rest.left(at);
    rest.remove(0, at + marker.size() + skip);
    return front;
}

void SetInfo(ParsedInventory& parsed, SetField field, const QString& value) {
    parsed.ReplaceField(field, TrimField(value));
}

void ReadHeadline(ParsedInventory& parsed, const QString& line, bool newer) {
    const QString text = StripHtmlTags(line);
    const qsizetype year = text.indexOf(u"Year:");
    const QString tail = year >= 0 ? text.mid(year) : QString();
    const QString head = year >= 0 ? text.left(year) : text;
    const QString space = QStringLiteral("&nbsp;");
    SetInfo(parsed, SetField::Year, NthField(tail, space, 2));
    SetInfo(parsed, SetField::Pcs, NthField(tail, space, 4));
    SetInfo(parsed, SetField::Figs, NthField(tail, space, 6));
    SetInfo(parsed, SetField::MSRP, NthField(tail, space, 8));
    SetInfo(parsed, SetField::Theme, newer ? head : NthField(head, space, 2));
}

// Older layout: the row's opening line was read; one cell per following line.
bool ReadOlderRow(LineCursor& in, RowAdder& rows, bool hasBag) {
    const QString* qty = in.Next();
    const QString* part = in.Next();
    const QString* bag = hasBag ? in.Next() : nullptr;
    const QString* colour = in.Next();
    const QString* desc = in.Next();
    if (!qty || !part || !colour || !desc || (hasBag && !bag)) return false;
    const int lineNo = in.LineNo();
    QString partNumber = Without(*part, {u"  <TD><A HREF=\"/inv/parts/"});
    partNumber = CutBefore(partNumber, u"\"");
    QString description =
        Without(*desc, {u"  <TD>", u"&nbsp;"}).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    if (const qsizetype font = description.indexOf(u"<FONT"); font >= 0) {
        description.truncate(font);
    } else {
        description.remove(QStringLiteral("</TD>"));
        in.Next();
    }
    QString notes;
    if (const QString* notesLine = in.Next()) {
        notes = Without(*notesLine, {u"  <TD>", u"&nbsp;"});
        if (notes.contains(u"</TD>"))
            notes.remove(QStringLiteral("</TD>"));
        else
            in.Next();
    }
    rows.Add(TrimField(partNumber), TrimField(description),
             TrimField(Without(*colour, {u"  <TD>", u"&nbsp;&nbsp;&nbsp;</TD>"})),
             TrimField(Without(*qty, {u"  <TD ALIGN=RIGHT>", u"&nbsp;&nbsp;</TD>"})),
             hasBag ? TrimField(Without(*bag, {u"  <TD>", u"</TD>"})) : QString(), TrimField(notes), lineNo);
    in.Next(); // the row's closing line
    return true;
}

// Newer layout: every cell of a row on one line, cut from the front.
void ReadNewerRow(const QString& line, RowAdder& rows, int lineNo) {
    const qsizetype qtyEnd = line.indexOf(u"</td>");
    const QString quantity = qtyEnd >= 4 ? line.mid(4, qtyEnd - 4) : QString();
    QString rest = line;
    CutBefore(rest, u"\">");
    const QString partNumber = CutBefore(rest, u"</a>", 9);
    const QString colour = CutBefore(rest, u"</td>", 4);
    const qsizetype lt = rest.indexOf(u'<');
    const QString description = lt >= 2 ? rest.left(lt - 2) : QString();
    CutBefore(rest, u"</td>", 4);
    const QString notes = CutBefore(rest, u"</td>");
    rows.Add(TrimField(partNumber), TrimField(description), TrimField(colour), TrimField(quantity), QString(),
             TrimField(notes), lineNo);
}

// "Added to <host> on <date>.<": the date.
void ReadDate(ParsedInventory& parsed, const QString& line, QStringView end) {
    const qsizetype added = line.indexOf(u"Added to");
    if (added < 0) return;
    const qsizetype on = line.indexOf(u" on ", added);
    if (on < 0) return;
    QString rest = line.mid(on + 4);
    SetInfo(parsed, SetField::Date, end.isEmpty() ? StripHtmlTags(rest) : CutBefore(rest, end));
}

void ReadNewerTrailer(ParsedInventory& parsed, LineCursor& in) {
    const QString* line = in.SkipTo({u"Submitted by", u"Inventoried by", u"Comments:"});
    if (!line) return;
    if (line->contains(u"Comments:")) {
        SetInfo(parsed, SetField::InvBy, QString());
        line = in.SkipTo({u"Added to "});
        if (!line) return;
    } else {
        const QStringView phrase = line->contains(u"Submitted by") ? u"Submitted by" : u"Inventoried by";
        const qsizetype start = line->indexOf(phrase) + phrase.size() + 1;
        const qsizetype lt = line->indexOf(u'<', start);
        SetInfo(parsed, SetField::InvBy,
                lt < 0 ? line->mid(start) : line->mid(start, std::max<qsizetype>(0, lt - 2 - start)));
    }
    ReadDate(parsed, *line, u".<");
    if (const qsizetype source = line->indexOf(u"Source"); source >= 0) {
        QString rest = line->mid(source + 8);
        SetInfo(parsed, SetField::Source, CutBefore(rest, u"<"));
    }
}

void ReadOlderSourceAndDate(ParsedInventory& parsed, const QString& line, QStringView sourcePrefix) {
    if (line.contains(u"Source:"))
        SetInfo(parsed, SetField::Source, StripHtmlTags(Without(line, {sourcePrefix})).remove(u':'));
    ReadDate(parsed, line, {});
}

void ReadOlderTrailer(ParsedInventory& parsed, LineCursor& in) {
    in.Next();
    in.Next();
    const QString* line = in.Next();
    if (!line) return;
    // Cut at the last ">" the line's final tag is left open: drop it with the others.
    QString byLine = StripHtmlTags(line->left(std::max<qsizetype>(0, line->lastIndexOf(u'>'))));
    if (const qsizetype open = byLine.indexOf(u'<'); open >= 0) byLine.truncate(open);
    SetInfo(parsed, SetField::InvBy, Without(byLine, {u"\tSubmitted by ", u"\tInventoried by ", u":"}));
    if ((line = in.Next())) ReadOlderSourceAndDate(parsed, *line, u"\tSource: ");
    if ((line = in.SkipTo({u"Source:", u"Added to"}))) ReadOlderSourceAndDate(parsed, *line, u"\tSource:\t");
}

} // namespace

ParsedInventory ReadPeeronHtmlFile(const InventorySource& file, const InventoryLookups& lookups) {
    ParsedInventory parsed;
    const QString text = InventoryText(file);
    if (text.contains(u"DOCTYPE HTML PUBLIC")) {
        parsed.warnings << (QStringLiteral("This html file was not saved properly!\r\nWhen saving web pages "
                                           "use\r\nSave As... (Web Page, HTML Only)"));
        return parsed;
    }
    const QStringList lines = SplitLines(text);
    if (lines.isEmpty()) return parsed;
    const bool newer = text.indexOf(u"<!-- Meta Info -->", lines[0].size()) >= 0;

    QString setName = StripHtmlTags(lines[0]);
    setName.remove(QStringLiteral("Set inventory for #")).remove(u':');
    parsed.ReplaceName(TrimField(setName));

    LineCursor in(lines);
    in.Next();
    const QString* headline = newer ? in.SkipTo({u"<font size=\"+1\">Inventory for set <b>"})
                                    : in.SkipTo({u"<FONT SIZE=+1>Inventory for set <B>"});
    if (headline && newer) headline = in.Next();
    if (headline) ReadHeadline(parsed, *headline, newer);

    const QString* header = in.SkipTo({u"Qty"});
    const bool hasBag = header && header->contains(u"Bag");
    if (newer) in.SkipTo({u"<tr bgcolor=\""});

    RowAdder rows(parsed, lookups, file.path);
    while (const QString* line = in.NextNonEmpty()) {
        if (EndsTable(line)) break;
        if (newer) {
            ReadNewerRow(*line, rows, in.LineNo());
            const QString* closing = in.Next();
            const QString* opening = in.Next();
            if (EndsTable(closing) || EndsTable(opening)) break;
        } else if (!ReadOlderRow(in, rows, hasBag)) {
            break;
        }
    }
    rows.Finish();
    if (newer)
        ReadNewerTrailer(parsed, in);
    else
        ReadOlderTrailer(parsed, in);
    return parsed;
}
