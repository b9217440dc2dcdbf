#include "graph/scales/GraphDragScale.h"

#include "graph/messages/GraphMessages.h"

namespace MGraph1
{

HRESULT STDMETHODCALLTYPE GraphDragScale::OnBeginDrag(LONG source, LONG)
{
    Send(MsgBeginDrag(source));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE GraphDragScale::OnEndDrag(LONG source, LONG)
{
    Send(MsgEndDrag(source));
    return S_OK;
}

} // namespace MGraph1
