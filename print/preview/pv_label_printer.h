#pragma once

#include <QPointer>
#include <functional>

#include "platform/user_prompts.h"
#include "print/preview/pv_label_templates.h"
#include "print/preview/pv_resources.h"

class PvPreview;
class PvCanvas;
class PvValueRect;
class PvValue;

// Lays labels out on a preview's pages for one label-sheet template: outlines each label, clips to it and
// lets its owner draw the content through OnDrawLabel.
class PvLabelPrinter {
  public:
    // Failures are shown through prompts.
    explicit PvLabelPrinter(UserPrompts& prompts);

    // Becomes none when the preview goes.
    QPointer<PvPreview> Preview;
    bool ClipLabels = true;
    PvLabelDrawOrder DrawOrder = pvRows;
    PvBrush LabelBrush;
    PvPen LabelPen;
    int StartLabel = 1;

    const PvLabelTemplateList& Templates() const { return templates_; }
    PvLabelTemplate Template() const { return template_; }
    // The template of that id becomes current; none when it has no built-in template.
    void SetTemplate(PvLabelTemplate id);
    const PvLabelTemplateInfo* TemplateInfo() const { return info_; }
    // Makes a template current without changing Template; nothing without one.
    void SetTemplateInfo(const PvLabelTemplateInfo* info);
    // 0 while no template is current.
    int LabelsPerPage() const { return info_ ? info_->LabelsPerPage() : 0; }

    // Lays out count labels from the preview's current page on, adding pages as needed.
    void DrawLabels(int count);

    std::function<void()> BeforeDrawLabels;
    std::function<void(int labelNum, const PvValueRect& rect, PvCanvas& canvas)> OnDrawLabel;
    std::function<void(int labelNum, int col, int row, PvValue& height, PvValue& vertSpacing)>
        OnGetLabelHeight;

  private:
    PvLabelTemplateList templates_;
    PvLabelTemplate template_ = L7159_Address;
    const PvLabelTemplateInfo* info_ = nullptr;
    UserPrompts* prompts_;
};
