#pragma once

#include <QDialog>
#include <QImage>
#include <array>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPaintDevice;
class QPushButton;
class QScrollArea;
class QToolButton;
class RpPrintObject;

// Shows the stored pages of a finished report one at a time at a chosen zoom, pages through them and prints
// them. Keys: Esc closes, Page Up goes back a page and Page Down forward, Up and Down scroll, + and - zoom.
class PreviewForm : public QDialog {
    Q_OBJECT
  public:
    // Zoom of each item of ZoomFactor, in hundredths of the actual size.
    static constexpr std::array<int, 5> kZoom{52, 64, 78, 94, 100};

    explicit PreviewForm(RpPrintObject& engine, QWidget* parent = nullptr);

    int CurrentPage() const { return currentPage_; }
    const QImage& PageImage() const { return page_; }
    // Draws the current page at the zoom on a sheet of the page image's size and resolution.
    void PaintPage(QPaintDevice& sheet) const;

    void ZoomFactorChange();
    // Ends an entry in PgNumb: the number, clamped to the pages, becomes the current page.
    void PgNumbExit();
    void FirstPageClick();
    void PrevPageClick();
    void NextPageClick();
    void LastPageClick();
    void PrintBtnClick();

    QFrame* Panel2;
    QPushButton* CloseBtn;
    QPushButton* PrintBtn;
    QLabel* ZoomLabel;
    QComboBox* ZoomFactor;
    QToolButton* FirstPage;
    QToolButton* PrevPage;
    QToolButton* NextPage;
    QToolButton* LastPage;
    QLineEdit* PgNumb;
    QScrollArea* PreviewPane;
    QLabel* DisplayPage;

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    int PageCount() const;
    double Factor() const;
    void DrawPage();
    void FormResize();
    // True when the key was one of the window's own.
    bool FormKeyDown(int key);
    void ShowPageNumber(int number);

    RpPrintObject& engine_;
    int currentPage_ = 1;
    int ppi_;
    QImage page_;
};
