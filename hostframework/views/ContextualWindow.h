// A window the host can ask for its Vyr context: decorating it subclasses it so that it answers the
// registered message "VyrGetWindowContext" with the context object of its decorator, and tells the
// decorator when it is shown or hidden.
#pragma once

#include <windows.h>

#include <unknwn.h>

#include <memory>

// The message the host sends a window to ask for its context; the answer is the context object's
// address (0: none).
UINT WindowContextMessage();

class ContextualWindowDecorated
{
public:
    // context: the host object the decorated window answers with; not counted, the host keeps it.
    explicit ContextualWindowDecorated(IUnknown* context = nullptr);
    virtual ~ContextualWindowDecorated();
    ContextualWindowDecorated(const ContextualWindowDecorated&) = delete;
    ContextualWindowDecorated& operator=(const ContextualWindowDecorated&) = delete;

    // The decorated window is being shown (true) or hidden.
    virtual void OnDecoratedWindowShown(bool shown) { (void)shown; }

    // Decorates the window in place of the one decorated before (the same window is decorated once).
    void Decorate(HWND window);
    void SetDecorationContext(IUnknown* context) { context_ = context; }
    IUnknown* DecorationContext() const { return context_; }

    class SubclassedWindow;

private:
    IUnknown* context_;
    std::unique_ptr<SubclassedWindow> decorated_;
};
