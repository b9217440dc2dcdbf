// The host's implementation objects that a module's document class and documents aggregate. An
// implementation has its own (non-delegating) IUnknown, which only its outer object holds; every other
// face it hands out counts on the outer object.
#pragma once

#include "ComObjects.h"
#include "hostapi/VyrDocuments.h"
#include "hostapi/VyrViews.h"

#include <vector>

namespace Vyr
{

class DocClassImplFactory final : public StaticComObject<IVyrDocClassImplFactory, &IID_IVyrDocClassImplFactory>
{
public:
    HRESULT STDMETHODCALLTYPE CreateImplementation(IUnknown** inner, IUnknown* outer, ULONG flags) override;
};

class DocImplFactory final : public StaticComObject<IVyrDocImplFactory, &IID_IVyrDocImplFactory>
{
public:
    // services: what a document's frame hands out as its UI services (the host application).
    explicit DocImplFactory(IUnknown* services) : services_(services) {}

    HRESULT STDMETHODCALLTYPE CreateImplementation(IUnknown* documentClass, IUnknown* hostDocument, IUnknown* outer,
                                                   ULONG flag, IUnknown** inner) override;

private:
    IUnknown* services_;
};

// A view class's implementation: it answers the class's commands (none: the class's views do) and hears
// of the class's attachment and of its views' activation.
class ViewClassImplFactory final : public StaticComObject<IVyrViewClassImplFactory, &IID_IVyrViewClassImplFactory>
{
public:
    HRESULT STDMETHODCALLTYPE CreateImplementation(IUnknown* outer, REFIID iid, IUnknown** inner) override;
};

} // namespace Vyr
