// The comment of a loop on the pressure channel, placed and written through the host's data, which the
// document hands the host so that its trace display shows the loop the user chose.
#include "document/core/SistraDocument.h"

#include "document/core/EventDrawPolicies.h"
#include "foundation/com/ComObjectRoot.h"
#include "hostframework/comments/StrixComment.h"

#include <utility>

namespace Sistra
{
namespace
{

constexpr ULONG OneComment = 1;
// The parameter a loop event's value is: the end-diastolic pressure (Ped).
constexpr int32_t EventValueParameter = 13;
// A comment's display flags that have the host write its text beside its line.
constexpr ULONG WriteText = 1;

// Writes a loop's comment as its marks' tooltips read: its number, its value in its unit and its period.
class LoopCommentText final : public ICommentTextProvider, private Orv::CComObjectRoot
{
public:
    LoopCommentText(SistraData& data, uint32_t loop, std::wstring valueUnit)
        : data_(data), loop_(loop), valueUnit_(std::move(valueUnit))
    {
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ICommentTextProvider)
                      ? static_cast<ICommentTextProvider*>(this)
                      : nullptr;
        if (!*object)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWith([this] { delete this; }); }

    HRESULT STDMETHODCALLTYPE GetCommentText(IUnknown*, ULONG, const LONG*, BSTR* text) override
    {
        if (!text)
            return E_POINTER;
        *text = nullptr;
        SistraEvent loop;
        if (!data_.ReadLoop(loop_, loop))
            return E_FAIL;
        const Orv::String written = LoopTooltip(loop, loop_, valueUnit_);
        *text = SysAllocString(written.c_str());
        return *text ? S_OK : E_OUTOFMEMORY;
    }

private:
    ~LoopCommentText() = default;

    SistraData& data_;
    uint32_t loop_;
    std::wstring valueUnit_;
};

} // namespace

const SistraDocument::PlacedComment* SistraDocument::GetLoopComment(uint32_t loop)
{
    if (const auto held = loopComments_.find(loop); held != loopComments_.end())
        return &held->second;
    const std::optional<TickPosition> position = data_->GetLoopPosition(loop);
    if (!position)
        return nullptr;
    // The comment's identity counts the loop's sample over the records laid end to end.
    int64_t before = 0;
    for (int32_t record = 0; record < position->record; ++record)
    {
        int32_t length = 0;
        HostDoc()->GetRecordLength(0, record, &length);
        before += length;
    }
    const ULONG identity[2] = {static_cast<ULONG>(before + position->tick), static_cast<ULONG>(position->record)};
    const int32_t channel = GetSetupModel()->GetPressureChannel();
    const Orv::ComPtr<ICommentTextProvider> text(
        new LoopCommentText(*data_.Get(), loop, ParameterUnit(EventValueParameter)));
    auto* created = new StrixClient::EventDataCommentTP(HostDocumentObject(), identity, channel, text.Get());
    // The chosen loop's number, value and period read beside its mark without opening the popup.
    created->SetDisplayFlags(WriteText);
    PlacedComment placed{Orv::ComPtr<IStrixComment>(static_cast<IStrixCommentEx*>(created)), nullptr};
    // The host makes its object for one comment of the comment's type on the channel.
    ULONG type = 0;
    created->GetTypeId(&type);
    placed.place = CreateHostObject(type, static_cast<ULONG>(channel), OneComment);
    return &(loopComments_[loop] = std::move(placed));
}

} // namespace Sistra
