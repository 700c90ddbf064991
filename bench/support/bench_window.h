#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "app/test_prompts.h"

struct AppContext;
class CompareDialog;
class MainWindow;

// The shown main window on a copy of the shipped data folder (real master list and colour table), with its
// add-part and compare windows. Its file dialogs answer with the paths given here, as a user's choice.
class BenchWindow {
  public:
    BenchWindow();
    ~BenchWindow();

    // Replaces the inventory with `rows` generated rows, 30% of which repeat an earlier key.
    void Fill(int rows);
    // New, without the question.
    void Clear();
    // The Open button with these files chosen, to the rows shown.
    void Open(const QStringList& paths);
    // The files dragged from the desktop and dropped on the inventory, to the rows shown.
    void Drop(const QStringList& paths);
    // The Save button with this file chosen.
    void Save(const QString& path);
    // Need in the compare window with this set file chosen, to the result shown.
    void CompareNeed(const QString& setPath);
    // Lets the window lay out and paint what changed.
    static void Show();

    MainWindow& window() { return *window_; }

  private:
    TestPrompts prompts_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<MainWindow> window_;
    CompareDialog* compare_ = nullptr;
    QStringList openAnswer_;
    QString saveAnswer_;
};

// The one window of a benchmark program, made on first use and deleted as the application ends.
BenchWindow& TheBenchWindow();

// A path for a benchmark's file in the temporary folder, its folder removed at exit.
QString BenchFile(const QString& name);
