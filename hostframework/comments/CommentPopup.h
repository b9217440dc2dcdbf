// The small window that shows a comment's time and text above its marker while the pointer rests on it.
#pragma once

#include "hostapi/VyrComments.h"
#include "foundation/com/ComObjectRoot.h"
#include "foundation/com/ComPtr.h"
#include "hostframework/comments/CommentMarker.h"
#include "platform/owl/gdi/GdiObjects.h"
#include "platform/owl/window/Window.h"

#include <memory>
#include <string>

// Lines the popup gives a text of that many characters: one per 40 started, at most 7.
int CommentPopupLineCount(std::size_t characters);

// Where a popup of that size goes for a marker whose top middle is anchor (screen coordinates): left at the
// anchor and above it, as far as workArea (the screen's, less its task bars) lets it; where the room above
// is too short it hangs below the marker, and it is moved back inside the work area's sides and foot.
POINT CommentPopupPlace(const POINT& anchor, SIZE size, int markerHeight, const RECT& workArea);

// The host holds a popup through its COM face; the last release destroys the window and the object.
class CommentPopup : public OWL::TWindow, public ICommentPopupWindow, protected Orv::CComObjectRoot
{
public:
    // over: the window the marker is drawn in, whoever made it; the popup is owned by its top-level window,
    // so it stays above that frame and goes with it. anchor: the middle of the marker's top, in screen
    // coordinates; the popup sits above it. source: the comment shown, which the popup keeps referenced
    // (none for a popup made from an appearance alone).
    CommentPopup(HWND over, const POINT& anchor, const CommentAppearance& comment,
                 const std::wstring& timeText, int markerHeight, IStrixComment* source = nullptr);
    ~CommentPopup() override;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWith([this] { delete this; }); }
    HRESULT STDMETHODCALLTYPE GetComment(IStrixComment** comment) override;
    HRESULT STDMETHODCALLTYPE Repaint() override;

    int LineCount() const { return lines_; }
    const OWL::TRect& TextRect() const { return textRect_; }
    const OWL::TRect& HeaderRect() const { return headerRect_; }
    // The header as shown: "t = " and the time, at most 31 characters.
    const std::wstring& HeaderText() const { return header_; }

    // Makes the window; shows it without activation unless the host runs hidden.
    bool Create() override;

protected:
    const wchar_t* GetClassName() override { return L"CommentPopup"; }
    void GetWindowClass(WNDCLASSEXW& windowClass) override;
    void Paint(OWL::TDC& dc, bool erase, OWL::TRect& rect) override;

private:
    void Layout(const POINT& anchor);

    CommentAppearance comment_;
    Orv::ComPtr<IStrixComment> source_;
    std::wstring header_;
    std::unique_ptr<OWL::TFont> normalFont_;
    std::unique_ptr<OWL::TFont> boldFont_;
    int markerHeight_;
    int lines_;
    OWL::TRect headerRect_;
    OWL::TRect textRect_;
};
