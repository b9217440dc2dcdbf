#include "views/loop/TextClickAnnotation.h"

#include "views/graph/SistraGraphViewBase.h"
#include "views/graph/ViewPlotData.h"

#include "document/core/SistraDocument.h"
#include "foundation/text/StringResources.h"
#include "resources/ResourceIds.h"

namespace Sistra
{

namespace
{

constexpr uint32_t AllLoops = 0x7FFFFFFF;

} // namespace

TextClickAnnotation::TextClickAnnotation(SistraDocument* document, SistraGraphViewBase& view)
    : document_(document), view_(view)
{
}

bool TextClickAnnotation::ShowsAllLoops() const
{
    return !document_ || document_->Data().HostRange().second == AllLoops;
}

void TextClickAnnotation::OnDraw(HDC dc, HDC, RECT plotRect, RECT)
{
    const bool timedOut = view_.TimedOut() && view_.IsScreenDrawing();
    if ((!timedOut && ShowsAllLoops()) || !dc)
        return;
    static const Orv::String timedOutText(Orv::ThisModule(), IDS_VIEW_DRAWING_TIMED_OUT, true);
    static const Orv::String showAllText(Orv::ThisModule(), IDS_LOOP_SHOW_ALL, true);
    const Orv::String& text = timedOut ? timedOutText : showAllText;
    view_.ClearTimedOut();
    DrawCornerNotice(dc, plotRect, text, true);
}

bool TextClickAnnotation::HandleClick(const RECT&, UINT, const POINT&, const POINT&)
{
    if (ShowsAllLoops())
        return false;
    // Refreshing the views sets the loop view's plot up again, which deletes this annotation: nothing of it
    // may be read after (its document pointer, read from freed memory, crashed the menu update).
    SistraDocument* const document = document_;
    document->Data().SetHostRange(AllLoops, AllLoops);
    document->AddChange(ChangeState::ResetAndResults);
    document->RefreshViews();
    document->UpdateMenuStates();
    return true;
}

} // namespace Sistra
