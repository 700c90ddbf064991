#pragma once

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <functional>
#include <memory>
#include <ostream>

#include "app/add_part_dialog.h"
#include "app/main_window.h"
#include "app/number_prompt.h"
#include "app/settings_dialog.h"
#include "platform/fs.h"
#include "support/answer_window.h"
#include "support/test_support.h"
#include "test_prompts.h"
#include "ui/kit/make_named.h"

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// A shown main window with its add-part and settings windows, on a data folder with a small master list and
// colour table. The inventory model is checked by QAbstractItemModelTester throughout.
class InventoryWindow {
  public:
    explicit InventoryWindow(const std::string& colours = kColours) {
        WriteFileBytes(dir / "master.txt",
                       "h\n3001\tBrick 2 x 4\n3020\tPlate 2 x 4\n3003\tBrick & Tile <b>\n");
        if (!colours.empty()) WriteFileBytes(dir / "colors.txt", colours);
        // Like a seeded data folder: the window reads its LDraw colours at creation.
        WriteFileBytes(dir / "ldconfig.ldr", "0 LDraw colours\r\n");
        SetDataDir(dir.path());
        TestMessages::Clear();
        context = std::make_unique<AppContext>(prompts);
        context->LoadColours();
        window = std::make_unique<MainWindow>(*context);
        Forms forms;
        forms.addPart = addPart =
            new AddPartDialog(prompts, context->colours, context->inventory, window.get());
        forms.settings = settings = new SettingsDialog(prompts, context->folders, window.get());
        numberPrompt = new NumberPrompt(window.get());
        prompts.SetNumberPrompt(numberPrompt);
        window->SetForms(forms);
        tester =
            std::make_unique<QAbstractItemModelTester>(&FindNamed<RichListView>(*window, "invlist")->Model(),
                                                       QAbstractItemModelTester::FailureReportingMode::Fatal);
        window->show();
        QApplication::setActiveWindow(window.get());
    }
    ~InventoryWindow() {
        window->Access().Inventory().SetModified(false);
        window.reset();
        context.reset();
        SetDataDir({});
    }

    // Presses Add and answers the add-part window with `answer`; false when none came.
    [[nodiscard]] bool PressAdd(const std::function<void(AddPartDialog&)>& answer) {
        return AnswerWindow<AddPartDialog>([this] { FindNamed<QPushButton>(*window, "BitBtn4")->click(); },
                                           answer);
    }

    // The cells of one row, key first.
    QStringList Row(int row) const {
        QStringList cells;
        for (int column = 0; column < InventoryColumnCount; ++column)
            cells << window->Access().Inventory().InventoryCell(column, row);
        return cells;
    }
    // The colour the inventory list paints at the left edge of a cell, where no text goes.
    QColor PaintedColour(int row, int column) const {
        RichListView& list = *FindNamed<RichListView>(*window, "invlist");
        const QRect cell = list.CellRect(row, column);
        return list.viewport()->grab().toImage().pixelColor(cell.left() + 1, cell.center().y());
    }
    void Add(const QString& part, const QString& colour, const QString& quantity, const QString& bag = {},
             const QString& notes = {}) {
        window->Access().Inventory().AddInventoryRow(part, window->Access().MasterDescription(part), colour,
                                                     quantity, bag, notes);
        window->Access().SelectLastRow();
    }

    static constexpr const char* kColours = "; test colours\r\n"
                                            "Black\t0\t26\t11\t#1B2A34\tNo\r\n"
                                            "Red\t4\t21\t5\t#FF0000\tNo\r\n"
                                            "\tindented line is skipped\r\n"
                                            "Blue\t1\t23\t7\t#1E5AA8\tNo\r\n"
                                            "OldGray\t7\t2\t9\t#8A928D\tNo\r\n"
                                            "TrClear\t47\t40\t12\t#FCFCFC\tYes\r\n"
                                            "Aqua\t118\t\t\t#B3D7D1\tNo\r\n";

    TempDir dir;
    TestPrompts prompts;
    std::unique_ptr<AppContext> context;
    std::unique_ptr<MainWindow> window;
    AddPartDialog* addPart = nullptr;
    SettingsDialog* settings = nullptr;
    NumberPrompt* numberPrompt = nullptr;
    std::unique_ptr<QAbstractItemModelTester> tester;
};
