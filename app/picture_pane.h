#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>

#include "app/picture_animation.h"
#include "app/picture_chooser.h"

struct AppContext;
class FindFile;
class GaugeBar;
class Image32;
class QLabel;
class QListWidget;
class QWidget;

// The part picture beside the master list: an LDraw rendering, a picture file or the "no image" note, the
// scale and rotation gauges, the picture kind and the other jpg pictures of the part. Its controls stand on
// the main window's client area, which places them.
class PicturePane : public QObject {
    Q_OBJECT
  public:
    // colourOf gives the LDraw colour a part is rendered in.
    PicturePane(AppContext& context, QWidget* client, int top, std::function<int(const QString&)> colourOf);

    // Shows a part of the master list, and looks for its other jpgs.
    void ShowPart(const QString& part, const QString& description);
    // A part the master list does not hold: no picture, only its number and description.
    void ShowUnlisted(const QString& part, const QString& description);
    void Image1DblClick();
    void ldrawscaleMouseUp();
    void ListBox1Click();
    // Plays an animated part picture; tests give it their clock and ask whether it runs.
    PictureAnimation& Animation() { return animation_; }

    Image32* Image1;
    QLabel* Label1; // the "no image" note
    QLabel* Label2; // description
    QLabel* Label3; // part number
    GaugeBar* sbScale;
    GaugeBar* ldrawscale;
    GaugeBar* xrot;
    GaugeBar* yrot;
    GaugeBar* zrot;
    QLabel* Label8; // the picture kind
    QLabel* Label11;
    QListWidget* ListBox1;

  private:
    // A file that cannot be loaded shows the note with the reason instead.
    void ShowPicture(const std::filesystem::path& file, const QString& kind);
    // "Sorry, no image available!" (and why, when a picture failed) on a white picture, no picture kind.
    void ShowNoPicture(const QString& reason = {});
    void ShowLDrawGauges(bool visible);
    void sbScaleChange();
    void FindFile1Found(const QString& folder, const QString& name);

    AppContext& context_;
    std::function<int(const QString&)> colourOf_;
    FindFile* FindFile1;
    QImage RenderPicture; // target of the part renderer
    PictureChooser chooser_;
    PictureAnimation animation_;
    QString shownPart_, shownDescription_; // what the picture shows, for showing it again
};
