// The base of every window the module shows inside a host view: an OWL window that is also a Vyr event
// handler. It draws the size grip, answers the host's Copy and Print command states with the texts and
// flags a derived view supplies, and passes the host's print request on to the view's site.
#pragma once

#include "hostapi/VyrViews.h"
#include "foundation/com/ComObjectRoot.h"
#include "foundation/com/ComPtr.h"
#include "foundation/text/String.h"
#include "hostframework/messaging/EventHandlers.h"
#include "platform/owl/window/Window.h"

#include <utility>
#include <vector>

// Host commands and the message a view answers (their names are the host's).
namespace ViewCommandId
{
constexpr ULONG Print = 0x80170000;
constexpr ULONG Command3 = 0x80170001;
constexpr ULONG Copy = 0x80170004;
constexpr ULONG PrintMessage = 0x8001000D;
} // namespace ViewCommandId

// A view's two-word identity, the origin of the messages it sends: the document's word, then
// (view kind << 16) | view number; a part whose object does not tell it is 0.
std::pair<ULONG, ULONG> VyrIdOf(IUnknown* hostDocument, IUnknown* hostView);

class ViewBase : public OWL::TWindow, public VyrCppEventHandler, public Orv::CComObjectRoot
{
public:
    // Missing host objects are tolerated: no document leaves the title empty, no site leaves the view
    // interface null and the view unable to print.
    ViewBase(OWL::TWindow* parent, IUnknown* hostDocument, IUnknown* hostView, IVyrViewSite* viewSite,
             const wchar_t* title, OWL::TModule* module);
    ~ViewBase() override;

    virtual void GetCopyCommandText(Orv::String& text) = 0;
    virtual void GetPrintCommandText(Orv::String& text) = 0;
    virtual bool CanPrint();
    virtual bool CanCopy() { return true; }
    virtual bool CanRunCommand3() { return false; }

    // The host's print service of this view's site, with one reference; null when there is none.
    Orv::ComPtr<IVyrViewPrintService> QueryViewSiteObject() const;
    // The view's two-word identity: the document's word, then (view kind << 16) | view number.
    std::pair<ULONG, ULONG> GetVyrId() const;

    const Orv::String& DocumentTitle() const { return documentTitle_; }
    IUnknown* ViewInterface() const { return viewInterface_.Get(); }
    void SetDrawSizeGrip(bool draw) { drawSizeGrip_ = draw; }
    void SetSizeGripHitTest(bool hitTest) { sizeGripHitTest_ = hitTest; }

    // The grip's square in client coordinates.
    OWL::TRect SizeGripRect() const;

protected:
    void Paint(OWL::TDC& dc, bool erase, OWL::TRect& rect) override;
    UINT EvNCHitTest(const OWL::TPoint& screenPoint);
    // After every size (the derived view has placed its children then) the children leave the grip's
    // square to the view, which paints the grip there and answers the mouse over it.
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void UncoverSizeGrip();

    DECLARE_RESPONSE_TABLE(ViewBase);

private:
    // The frame around the host's view window: a maximised frame has no sizing corner.
    bool IsFrameMaximised() const;

    void CeCopy(IVyrCommandState& state);
    void CePrint(IVyrCommandState& state);
    void CeCommand3(IVyrCommandState& state);
    void PrintThroughSite();

    OWL::TModule* module_;
    IVyrViewSite* viewSite_;   // not counted: the site outlives its view's window
    IUnknown* hostDocument_;   // not counted: the document outlives its views
    IUnknown* hostView_;       // not counted: the host's view owns this window
    Orv::ComPtr<IUnknown> viewInterface_;
    bool drawSizeGrip_ = true;
    bool sizeGripHitTest_ = true;
    Orv::String documentTitle_;
    // The children whose region leaves out the grip, with the place they had then.
    std::vector<std::pair<HWND, RECT>> clippedChildren_;

    VYR_DECLARE_EVENT_MAP()
};

// The print command's text in the host's language: "&Print" opening a text becomes "&Imprimir" when the
// host speaks Spanish; any other text, or any other language, is kept.
Orv::String LocalisedPrintText(const Orv::String& text, LANGID hostLanguage);

// Answers the command state with text and enabled.
void AnswerCommandState(IVyrCommandState& state, const wchar_t* text, bool enabled);
