// The workflow's step pages by step id: each page class has one factory, which links itself into the
// step list while the module loads; the workflow panel asks the list for the page of a step.
#pragma once

#include "document/models/workflow/Workflow.h"

#include <windows.h>

namespace Sistra
{

class SistraDocument;

// The model kind of a step's page (step ids as the workflow tables name them); 0 for an id that is no step.
int ModelKindOfStep(int stepId);

class StepDlgClassObjBase
{
public:
    virtual ~StepDlgClassObjBase() = default;
    // The page's modeless dialog as a child of parent; null when it cannot be made.
    virtual HWND Create(HWND parent, SistraDocument* document) const = 0;
    virtual int GetStepId() const = 0;

    const StepDlgClassObjBase* Next() const { return next_; }
    // The first factory of the list; the list is written only while the module loads.
    static const StepDlgClassObjBase* Head() { return head_; }

protected:
    StepDlgClassObjBase() : next_(head_) { head_ = this; }

private:
    const StepDlgClassObjBase* next_;
    static inline StepDlgClassObjBase* head_ = nullptr;
};

template <class Page>
class StepDlgClassObj final : public StepDlgClassObjBase
{
public:
    HWND Create(HWND parent, SistraDocument* document) const override
    {
        auto* page = new Page(document);
        HWND window = page->Create(parent);
        if (!window)
            delete page;
        return window;
    }
    int GetStepId() const override { return Page::StepNumber; }
};

// The page of the step as a child of parent, made by the first factory of the list that has the step;
// null when none has it or the page cannot be made.
HWND CreateStepPage(int stepId, HWND parent, SistraDocument* document);

} // namespace Sistra
