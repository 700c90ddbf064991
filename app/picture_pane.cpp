#include "app/picture_pane.h"

#include <QLabel>
#include <QListWidget>
#include <algorithm>
#include <cstring>
#include <numbers>

#include "app/app_context.h"
#include "app/file_paths.h"
#include "app/named_widgets.h"
#include "ldraw/ldraw_view.h"
#include "platform/gfx/graphic.h"
#include "platform/ui.h"
#include "ui/bitmap/image_view.h"
#include "ui/controls/file_search.h"
#include "ui/controls/gauge_bar.h"

namespace {

constexpr float kDegree = std::numbers::pi_v<float> / 180;

// Transparent white: shown as white, since pictures are shown without their alpha.
constexpr Color32 kNoPicture = 0x00FFFFFF;

const QString kNoImage = QStringLiteral("Sorry, no image available!");

GaugeBar* MakeGauge(QWidget* parent, const char* name, const char* hint, int min, int max, int position) {
    auto* gauge = new GaugeBar(parent);
    gauge->setObjectName(QLatin1String(name));
    gauge->SetMax(max);
    gauge->SetMin(min);
    gauge->SetPosition(position);
    gauge->setToolTip(QLatin1String(hint));
    gauge->resize(100, 17);
    return gauge;
}

// The pixels of an opaque picture into the bitmap, replacing all it held.
void CopyPicture(const QImage& picture, Bitmap32& bitmap) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    bitmap.BeginUpdate();
    bitmap.SetSize(rgb.width(), rgb.height());
    for (int y = 0; y < bitmap.Height(); ++y)
        std::memcpy(bitmap.RowAddress(y), rgb.constScanLine(y), size_t(bitmap.Width()) * 4);
    bitmap.EndUpdate();
    bitmap.Changed();
}

} // namespace

PicturePane::PicturePane(AppContext& context, QWidget* client, int top,
                         std::function<int(const QString&)> colourOf)
    : QObject(client), context_(context), colourOf_(std::move(colourOf)) {
    Image1 = new Image32(client);
    Image1->setObjectName(QStringLiteral("Image1"));
    // The picture starts level with the tree and the master list.
    Image1->setGeometry(8, top, 100, 100);
    Image1->SetBitmapAlign(Image32::baCenter);
    Image1->SetColor(clWhite);
    Image1->SetScaleMode(Image32::smScale);
    Image1->SetScale(1.0);
    Label1 = MakePlainLabel(Image1, "Label1", kNoImage, QRect(8, 40, 240, 16));
    Label1->setWordWrap(true);
    Label1->hide();
    Label2 = MakePlainLabel(Image1, "Label2", QString(), QRect(4, 84, 400, 16));
    Label3 = MakePlainLabel(Image1, "Label3", QString(), QRect(4, 4, 200, 16));
    Label8 = MakePlainLabel(client, "Label8", QString(), QRect(8, 0, 150, 16));
    Label11 = MakePlainLabel(client, "Label11", QStringLiteral("Other jpgs"), QRect(0, 0, 200, 16));
    ListBox1 = MakeNamed<QListWidget>(client, "ListBox1");
    ListBox1->setGeometry(0, 0, 200, 60);

    sbScale = MakeGauge(client, "sbScale", "Image Scale", 25, 300, 100);
    sbScale->move(8, 136);
    ldrawscale = MakeGauge(client, "ldrawscale", "LDraw Scale", 1, 10, 1);
    xrot = MakeGauge(client, "xrot", "LDraw X rotation", -180, 180, -45);
    yrot = MakeGauge(client, "yrot", "LDraw Y rotation", -180, 180, 35);
    zrot = MakeGauge(client, "zrot", "LDraw Z rotation", -180, 180, -30);
    ShowLDrawGauges(false);

    animation_.Attach(*Image1, Image1->Bitmap());

    FindFile1 = new FindFile(this);
    FindFile1->setObjectName(QStringLiteral("FindFile1"));
    FindFile1->Filename = QStringLiteral("*.dat");

    UserPrompts& prompts = context_.Prompts();
    sbScale->OnChange = Guarded(prompts, [this] { sbScaleChange(); });
    Image1->OnDblClick = Guarded(prompts, [this] { Image1DblClick(); });
    for (GaugeBar* gauge : {ldrawscale, xrot, yrot, zrot})
        gauge->OnMouseUp = [this](Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            RunGuarded(context_.Prompts(), [this] { ldrawscaleMouseUp(); });
        };
    FindFile1->OnFound = [this](FindFile&, const QString& folder, const FoundFile& file) {
        FindFile1Found(folder, file.Name);
    };
    connect(ListBox1, &QListWidget::itemClicked, this, Guarded(prompts, [this] { ListBox1Click(); }));
}

void PicturePane::ShowLDrawGauges(bool visible) {
    for (GaugeBar* gauge : {ldrawscale, xrot, yrot, zrot})
        gauge->setVisible(visible);
}

void PicturePane::ShowPicture(const std::filesystem::path& file, const QString& kind) {
    animation_.Stop();
    std::unique_ptr<Graphic> picture;
    try {
        picture = PictureRegistry::Load(file);
        Image1->Bitmap().AssignFrom(*picture);
    } catch (const std::exception& e) {
        // Said where the picture would be: a message box on every click through the list helps nobody.
        ShowNoPicture(FromFsPath(file.filename()) + QStringLiteral(": ") + ExceptionText(e));
        return;
    }
    animation_.Play(std::move(picture));
    Label1->hide();
    Label8->setText(kind);
    ShowLDrawGauges(false);
}

void PicturePane::ShowNoPicture(const QString& reason) {
    Label1->setText(reason.isEmpty() ? kNoImage : kNoImage + QLatin1Char('\n') + reason);
    const int width = std::max(Image1->width() - 2 * Label1->x(), 100);
    Label1->resize(width, Label1->heightForWidth(width));
    Label1->show();
    Image1->Bitmap().FillAll(kNoPicture);
    Label8->clear();
    ShowLDrawGauges(false);
}

void PicturePane::ShowPart(const QString& part, const QString& description) {
    shownPart_ = part;
    shownDescription_ = description;
    animation_.Stop();
    const PictureFolders folders = context_.folders.Pictures();
    context_.renderer.SetLibrary(folders.ldraw);

    const PictureChoice choice = chooser_.Choose(folders, part);
    if (choice.kind == PictureKind::LDraw) {
        const LDrawView view{colourOf_(part),
                             float(std::max(ldrawscale->Position(), 1)),
                             float(xrot->Position()) * kDegree,
                             float(yrot->Position()) * kDegree,
                             float(zrot->Position()) * kDegree,
                             {}};
        // Made on the first render, so that start-up does not hold 2.5 MB it may never use.
        if (RenderPicture.isNull()) {
            RenderPicture = QImage(800, 800, QImage::Format_RGB32);
            RenderPicture.fill(Qt::white);
        }
        // A part that cannot be rendered leaves the previous picture in place.
        if (context_.renderer.RenderPicture(choice.file, view, RenderPicture)) {
            CopyPicture(RenderPicture, Image1->Bitmap());
            Label1->hide();
        }
        Label8->setText(PictureKindText(choice.kind));
        ShowLDrawGauges(true);
    } else if (choice.kind == PictureKind::None) {
        ShowNoPicture();
    } else {
        ShowPicture(choice.file, PictureKindText(choice.kind));
    }
    Label2->setText(description);
    Label3->setText(part);

    ListBox1->clear();
    const QString jpgFolder = context_.folders.Folder(FolderKind::Jpg);
    if (jpgFolder.isEmpty()) return;
    FindFile1->SetLocation(jpgFolder);
    FindFile1->Filename = part + QStringLiteral("*.jpg");
    FindFile1->StartSearch();
}

void PicturePane::ShowUnlisted(const QString& part, const QString& description) {
    shownPart_.clear();
    ShowNoPicture();
    ListBox1->clear();
    Label2->setText(description);
    Label3->setText(part);
}

void PicturePane::sbScaleChange() {
    Image1->SetScale(sbScale->Position() / 100.0);
}

void PicturePane::Image1DblClick() {
    Image1->SetScale(1.0);
    sbScale->SetPosition(100);
    ldrawscale->SetPosition(1);
    xrot->SetPosition(-45);
    yrot->SetPosition(35);
    zrot->SetPosition(-30);
    ldrawscaleMouseUp();
}

// The part is rendered again in the new scale and angles.
void PicturePane::ldrawscaleMouseUp() {
    if (!shownPart_.isEmpty()) ShowPart(shownPart_, shownDescription_);
}

void PicturePane::FindFile1Found(const QString& folder, const QString& name) {
    // The hit may lie in a subfolder: the entry keeps where it was found.
    const std::filesystem::path file = ToFsPath(folder) / ToFsPath(name);
    auto* item = new QListWidgetItem(name, ListBox1);
    item->setData(Qt::UserRole, FromFsPath(file));
    if (Label1->isHidden()) return;
    ShowPicture(file, QStringLiteral("jpg"));
}

void PicturePane::ListBox1Click() {
    QListWidgetItem* item = ListBox1->currentItem();
    if (!item) return;
    ShowPicture(ToFsPath(item->data(Qt::UserRole).toString()), QStringLiteral("jpg"));
}
