#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class LDrawColours;

// The parts an LDraw model (.ldr, .mpd, .dat) needs, with its submodels expanded: a reference to a section
// of the same multi-part file ("0 FILE", names compared without regard to case) or to a .ldr or .mpd file
// beside the model is a submodel, expanded as often as it is referenced; every other reference is a part.
// Colour 16 (and 24, the edge colour) in a submodel takes the colour of the line that references it.

// One part reference after expansion.
struct ModelPart {
    QString fileName; // as written, e.g. "3001.dat"
    QString colour;   // LDraw colour number as written, or as inherited
    int lineNo;       // the line of the model's own file the part comes from, counted from 1
};

struct LDrawModel {
    std::vector<ModelPart> parts;
    // Missing submodels (each named once), references back into a submodel being expanded, nesting too
    // deep and models too large: each a sentence for the user.
    QStringList problems;
};

// The text of a file beside the model, by the name a reference gives; nothing when there is none.
using ModelFileLookup = std::function<std::optional<QString>(const QString& name)>;

// A type-1 line split at runs of blanks and TABs: its colour and file name (the rest of the line, which may
// hold blanks). False for any other line.
bool SplitLDrawReference(const QString& line, QString& colour, QString& fileName);

// Reads the model in text, whose own file name is ownName; the first section is the model. Edge colours
// come from colours.
LDrawModel ReadLDrawModel(const QString& text, const QString& ownName, const ModelFileLookup& besideModel,
                          const LDrawColours& colours);
