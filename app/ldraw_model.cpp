#include "app/ldraw_model.h"

#include <QHash>
#include <memory>
#include <unordered_map>

#include "app/inventory_fields.h"
#include "ldraw/ldraw_colors.h"
#include "ldraw/ldraw_view.h"
#include "platform/text.h"

namespace {

// Type, colour, three coordinates and nine matrix entries come before the referenced file name.
constexpr int kFieldsBeforeFileName = 14;
// Bounds the work however the submodels fan out: references looked at, parts given. Real models place
// tens of thousands of parts.
constexpr qsizetype kMaxSteps = qsizetype(1) << 19;
constexpr size_t kMaxParts = size_t(1) << 18;

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

// The first `count` words of a line, separated by runs of blanks and TABs (fewer when the line ends).
QList<QStringView> Words(QStringView line, int count) {
    QList<QStringView> words;
    qsizetype pos = 0;
    while (words.size() < count) {
        while (pos < line.size() && IsBlank(line[pos]))
            ++pos;
        const qsizetype start = pos;
        while (pos < line.size() && !IsBlank(line[pos]))
            ++pos;
        if (start == pos) break;
        words << line.mid(start, pos - start);
    }
    return words;
}

QString Key(const QString& name) {
    return TrimField(name).toCaseFolded();
}

std::optional<int> ColourNumber(const QString& colour) {
    bool ok = false;
    const int number = colour.toInt(&ok, 10);
    return ok ? std::optional<int>(number) : std::nullopt;
}

bool IsModelFileName(const QString& name) {
    return name.endsWith(u".ldr", Qt::CaseInsensitive) || name.endsWith(u".mpd", Qt::CaseInsensitive);
}

struct Section;
struct ModelFile;

// Where a reference leads is found once, not every time a fanned-out model passes it.
struct Reference {
    QString colour;
    std::optional<int> colourNumber;
    QString name;
    QString key;
    bool modelFile; // a .ldr or .mpd: a file beside the model when no section has its name
    int lineNo;
    Section* section = nullptr;                  // the section of the same file by this name
    std::optional<const ModelFile*> beside = {}; // once looked for; null: found nowhere
};

struct Section {
    QString name;
    std::vector<Reference> references;
    bool open = false; // being expanded: a reference back into it would never end
};

// A model file cut into its sections; the model is the first one.
struct ModelFile {
    std::vector<std::unique_ptr<Section>> sections;
    Section* model = nullptr;
};

// "0 FILE name" starts a section, "0 NOFILE" ends one; lines before the first FILE that reference
// anything are a model of their own (a plain .ldr).
std::unique_ptr<ModelFile> ParseModelFile(const QString& text) {
    auto file = std::make_unique<ModelFile>();
    file->sections.push_back(std::make_unique<Section>());
    Section* current = file->sections.back().get();
    const QStringList lines = SplitLines(text);
    QHash<QString, Section*> byName; // the first section of a name wins
    QString colour, name;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QList<QStringView> words = Words(lines[i], 2);
        if (words.size() == 2 && words[0] == u"0") {
            if (words[1].compare(u"NOFILE", Qt::CaseInsensitive) == 0) {
                current = nullptr;
            } else if (words[1].compare(u"FILE", Qt::CaseInsensitive) == 0) {
                const qsizetype after = words[1].data() - lines[i].constData() + words[1].size();
                file->sections.push_back(std::make_unique<Section>());
                current = file->sections.back().get();
                current->name = TrimField(lines[i].mid(after));
                if (const QString key = Key(current->name); !byName.contains(key))
                    byName.insert(key, current);
            }
            continue;
        }
        if (current && SplitLDrawReference(lines[i], colour, name))
            current->references.push_back({colour, ColourNumber(colour), name, Key(name),
                                           IsModelFileName(name), static_cast<int>(i) + 1});
    }
    for (const std::unique_ptr<Section>& section : file->sections)
        for (Reference& reference : section->references)
            reference.section = byName.value(reference.key);
    const bool prologueIsModel = !file->sections.front()->references.empty() || file->sections.size() == 1;
    file->model = file->sections[prologueIsModel ? 0 : 1].get();
    return file;
}

// Colour 16 is the colour of the referencing line, 24 its edge colour.
QString InheritedColour(const Reference& reference, const QString& parent, const LDrawColours& colours) {
    if (reference.colourNumber == 16) return parent;
    if (reference.colourNumber != 24) return reference.colour;
    const std::optional<int> parentNumber = ColourNumber(parent);
    return parentNumber && *parentNumber != 16 ? QString::number(colours.EdgeOf(*parentNumber))
                                               : reference.colour;
}

class Expander {
  public:
    Expander(const QString& ownName, const ModelFileLookup& besideModel, const LDrawColours& colours)
        : besideModel_(besideModel), colours_(colours), ownName_(TrimField(ownName)), ownKey_(Key(ownName)) {}

    LDrawModel Read(const QString& text) {
        std::unique_ptr<ModelFile>& own = files_[ownKey_];
        own = ParseModelFile(text);
        NameModel(*own, ownName_);
        Expand(*own->model, QStringLiteral("16"), 0, 0);
        return std::move(model_);
    }

  private:
    void Expand(Section& section, const QString& colour, int depth, int topLine) {
        section.open = true;
        for (Reference& reference : section.references) {
            if (++steps_ > kMaxSteps || model_.parts.size() >= kMaxParts) {
                NoteOnce(tooLarge_, [] {
                    return QStringLiteral("the model expands to more parts than can be read; the rest was "
                                          "not read.");
                });
                break;
            }
            const QString referenceColour = InheritedColour(reference, colour, colours_);
            const int lineNo = depth == 0 ? reference.lineNo : topLine;
            if (reference.section) {
                ExpandSubmodel(*reference.section, referenceColour, depth, lineNo);
            } else if (reference.modelFile) {
                if (!reference.beside) reference.beside = FileBeside(reference);
                if (const ModelFile* beside = *reference.beside)
                    ExpandSubmodel(*beside->model, referenceColour, depth, lineNo);
            } else {
                model_.parts.push_back({reference.name, referenceColour, lineNo});
            }
        }
        section.open = false;
    }

    void ExpandSubmodel(Section& sub, const QString& colour, int depth, int lineNo) {
        if (sub.open) {
            NoteOnce(looped_, [&] {
                return QStringLiteral("the submodel \"%1\" refers back to a submodel it is part of; that "
                                      "reference was skipped.")
                    .arg(sub.name);
            });
        } else if (depth >= kMaxLDrawDepth) {
            NoteOnce(tooDeep_, [] {
                return QStringLiteral("submodels nest deeper than %1 levels; the deeper ones were skipped.")
                    .arg(kMaxLDrawDepth);
            });
        } else {
            Expand(sub, colour, depth + 1, lineNo);
        }
    }

    // Read once per name; a name found nowhere is reported once.
    const ModelFile* FileBeside(const Reference& reference) {
        if (auto known = files_.find(reference.key); known != files_.end()) return known->second.get();
        std::unique_ptr<ModelFile>& entry = files_[reference.key];
        if (std::optional<QString> text = besideModel_(reference.name)) {
            entry = ParseModelFile(*text);
            NameModel(*entry, reference.name);
        } else {
            model_.problems << QStringLiteral("the submodel \"%1\" was not found; its parts are missing.")
                                   .arg(reference.name);
        }
        return entry.get();
    }

    // A plain model has no FILE line: it goes by the name of its file.
    static void NameModel(ModelFile& file, const QString& name) {
        if (file.model->name.isEmpty()) file.model->name = name;
    }

    // The text is made only the first time: fanned-out models meet the same problem again and again.
    template <class Text> void NoteOnce(bool& noted, const Text& text) {
        if (noted) return;
        noted = true;
        model_.problems << text();
    }

    const ModelFileLookup& besideModel_;
    const LDrawColours& colours_;
    const QString ownName_;
    const QString ownKey_; // the model's own file, so that a reference to it is seen as one back into it
    std::unordered_map<QString, std::unique_ptr<ModelFile>> files_; // by folded name; null: found nowhere
    LDrawModel model_;
    qsizetype steps_ = 0;
    bool looped_ = false, tooDeep_ = false, tooLarge_ = false;
};

} // namespace

bool SplitLDrawReference(const QString& line, QString& colour, QString& fileName) {
    const QList<QStringView> words = Words(line, kFieldsBeforeFileName);
    if (words.size() < kFieldsBeforeFileName || words[0] != u"1") return false;
    colour = words[1].toString();
    const qsizetype after = words.back().data() - line.constData() + words.back().size();
    fileName = TrimField(line.mid(after));
    return !fileName.isEmpty();
}

LDrawModel ReadLDrawModel(const QString& text, const QString& ownName, const ModelFileLookup& besideModel,
                          const LDrawColours& colours) {
    return Expander(ownName, besideModel, colours).Read(text);
}
