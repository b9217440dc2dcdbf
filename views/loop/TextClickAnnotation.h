// The notice in the loop view's bottom-right corner: that loop drawing was cut short, or that only part
// of the analysed loops is shown, in which case a click on the graph shows them all again.
#pragma once

#include "graph/annotations/Annotation.h"

namespace Sistra
{

class SistraDocument;
class SistraGraphViewBase;

class TextClickAnnotation final : public MGraph1::Annotation
{
public:
    TextClickAnnotation(SistraDocument* document, SistraGraphViewBase& view);

    void OnDraw(HDC dc, HDC attributeDc, RECT plotRect, RECT clipRect) override;
    bool HandleClick(const RECT& plotRect, UINT keys, const POINT& down, const POINT& up) override;
    bool TrackToPixel(int, int, const RECT&, const RECT&) override { return true; }

private:
    // Whether the document's analysis shows every loop.
    bool ShowsAllLoops() const;

    SistraDocument* document_;
    SistraGraphViewBase& view_;
};

} // namespace Sistra
