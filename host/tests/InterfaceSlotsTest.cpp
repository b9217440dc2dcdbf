// The slots of the host interfaces are the numbers module and host call each other by, counting
// QueryInterface, AddRef and Release as 0, 1 and 2. A virtual destructor or a misplaced method in a
// header would shift every later slot, unseen by tests that use the same header on both sides.
#include "hostapi/CalcInterfaces.h"
#include "hostapi/HostAcquisition.h"
#include "hostapi/HostChannelCalc.h"
#include "hostapi/HostDocument.h"
#include "hostapi/VyrClassRegistry.h"
#include "hostapi/VyrMessaging.h"
#include "hostapi/RecordDataPixMap.h"
#include "hostapi/VyrServices.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

namespace
{

// A pointer to a virtual member holds one more than the byte offset of its slot in the method table.
template <class Class, class Function>
ptrdiff_t SlotOf(Function Class::*member)
{
    struct VirtualMemberPointer
    {
        ptrdiff_t offsetPlusOne;
        ptrdiff_t adjustment;
    };
    static_assert(sizeof(member) == sizeof(VirtualMemberPointer));
    VirtualMemberPointer raw{};
    std::memcpy(&raw, &member, sizeof raw);
    EXPECT_EQ(1, raw.offsetPlusOne % static_cast<ptrdiff_t>(sizeof(void*))) << "not a virtual member";
    return (raw.offsetPlusOne - 1) / static_cast<ptrdiff_t>(sizeof(void*));
}

TEST(InterfaceSlots, RegistrationInterfaces)
{
    EXPECT_EQ(5, SlotOf(&IVyrObjectFactory::GetObject));
    EXPECT_EQ(6, SlotOf(&IVyrObjectFactory::RegisterClassObject));
    EXPECT_EQ(3, SlotOf(&IMessageFactory::RegisterMessageClass));
    EXPECT_EQ(3, SlotOf(&IUnitTestRegistry::AddTest));
}

TEST(InterfaceSlots, DocumentsADataSourceFills)
{
    EXPECT_EQ(7, SlotOf(&IHostDocumentCreator::CreateDocument));
    EXPECT_EQ(3, SlotOf(&IHostSamplingTarget::GetSamplingSink));
    EXPECT_EQ(3, SlotOf(&IHostRecordingState::GetChannelText));
    EXPECT_EQ(10, SlotOf(&IHostRecordingState::GetEndPosition));
    EXPECT_EQ(10, SlotOf(&IHostDataItems::ChannelReads));
    EXPECT_EQ(4, SlotOf(&IHostVirtualChannels::RemoveVirtualChannel));
    EXPECT_EQ(3, SlotOf(&IHostSamplingSink::CanSample));
    EXPECT_EQ(5, SlotOf(&IHostSamplingSink::StartRecord));
    EXPECT_EQ(8, SlotOf(&IHostSamplingSink::StopSampling));
    EXPECT_EQ(14, SlotOf(&IHostSamplingSink::DeclareChannel));
    EXPECT_EQ(4, SlotOf(&IStrixDataSource::GetChannelData));
    EXPECT_EQ(7, SlotOf(&IStrixDataSource::GetRecordLength));
    EXPECT_EQ(26, SlotOf(&IVyrStandIn::GetSelfTest));
    EXPECT_EQ(8, SlotOf(&IUnitsService::CreateChannelUnits));
    EXPECT_EQ(9, SlotOf(&IUnitTest::GetTestValue));
}

TEST(InterfaceSlots, MessageIdsSubjectsAndObservers)
{
    EXPECT_EQ(3, SlotOf(&IMsgIdRegistry::GetCode));
    EXPECT_EQ(4, SlotOf(&IMsgIdRegistry::GetGuid));
    EXPECT_EQ(6, SlotOf(&IMsgIdRegistry::IdToText));
    EXPECT_EQ(7, SlotOf(&IMsgIdRegistry::TextToId));

    EXPECT_EQ(3, SlotOf(&ISubject::Notify));
    EXPECT_EQ(4, SlotOf(&ISubject::AddObserver));
    EXPECT_EQ(5, SlotOf(&ISubject::RemoveObserver));
    EXPECT_EQ(6, SlotOf(&ISubject::AddObserverForEvent));
    EXPECT_EQ(7, SlotOf(&ISubject::Destroy));

    EXPECT_EQ(3, SlotOf(&ISubjectManager::AddObserver));
    EXPECT_EQ(4, SlotOf(&ISubjectManager::RemoveObserver));
    EXPECT_EQ(5, SlotOf(&ISubjectManager::Notify));
    EXPECT_EQ(8, SlotOf(&ISubjectManager::AddObserverForEvent));
    EXPECT_EQ(9, SlotOf(&ISubjectManager::ForgetSubject));
    EXPECT_EQ(10, SlotOf(&ISubjectManager::ForgetObserver));

    EXPECT_EQ(3, SlotOf(&IObserver::RegisterEvents));
    EXPECT_EQ(4, SlotOf(&IObserver::Notify));
}

TEST(InterfaceSlots, MessagesHandlersAndCommands)
{
    EXPECT_EQ(6, SlotOf(&IMessage::GetId));
    EXPECT_EQ(7, SlotOf(&IMessage::GetFlags));
    EXPECT_EQ(9, SlotOf(&IMessage::GetPayload));
    EXPECT_EQ(10, SlotOf(&IMessage::SetSender));
    EXPECT_EQ(11, SlotOf(&IMessage::IsFromSender));

    EXPECT_EQ(3, SlotOf(&IMessageHandler::HandleMessage));
    EXPECT_EQ(4, SlotOf(&IMessageHandler::AddHandler));
    EXPECT_EQ(5, SlotOf(&IMessageHandler::RemoveHandler));
    EXPECT_EQ(6, SlotOf(&IMessageHandler::SetParent));
    EXPECT_EQ(7, SlotOf(&IMessageHandler::GetTarget));
    EXPECT_EQ(8, SlotOf(&IMessageHandler::AcceptsMessage));

    EXPECT_EQ(3, SlotOf(&IMessageRouter::Deliver));
    EXPECT_EQ(9, SlotOf(&IMessageCreator::MakeMessage));

    EXPECT_EQ(3, SlotOf(&IVyrCommandHandler::Execute));
    EXPECT_EQ(4, SlotOf(&IVyrCommandHandler::QueryState));
    EXPECT_EQ(5, SlotOf(&IVyrCommandHandler::Invoke));
    EXPECT_EQ(4, SlotOf(&IVyrCommandState::SetState));
    EXPECT_EQ(4, SlotOf(&IVyrObjectContainer::GetStoredObject));
}

TEST(InterfaceSlots, HostServices)
{
    EXPECT_EQ(10, SlotOf(&IHostApplication::GetMainWindow));
    EXPECT_EQ(11, SlotOf(&IHostApplication::GetPrintService));
    EXPECT_EQ(35, SlotOf(&IHostApplication::ShowMessageBox));
    EXPECT_EQ(37, SlotOf(&IHostApplication::OfferModalDialog));
    EXPECT_EQ(38, SlotOf(&IHostApplication::AddLoopHooks));
    EXPECT_EQ(39, SlotOf(&IHostApplication::RemoveLoopHooks));
    EXPECT_EQ(51, SlotOf(&IHostApplication::GetVersionNoticeMode));
    EXPECT_EQ(57, SlotOf(&IHostApplication::ShowVersionNotice));
    EXPECT_EQ(8, SlotOf(&IHostClipboardService::PrepareForModuleWrite));
}

TEST(InterfaceSlots, RecordDataPixMap)
{
    EXPECT_EQ(5, SlotOf(&IRecordDataPixMap::SetGap));
    EXPECT_EQ(12, SlotOf(&IRecordDataPixMap::BeginBlockWalk));
    EXPECT_EQ(19, SlotOf(&IRecordDataPixMap::PositionToRow));
    EXPECT_EQ(32, SlotOf(&IRecordDataPixMap::Notice32));
    EXPECT_EQ(42, SlotOf(&IRecordDataPixMap::Destroy));
}

} // namespace

TEST(InterfaceSlots, ChannelCalculations)
{
    EXPECT_EQ(12, SlotOf(&IHostDocument::GetTimeDisplayMode));
    EXPECT_EQ(16, SlotOf(&IHostDocument::GetDocumentData));
    EXPECT_EQ(39, SlotOf(&IHostDocument::UpdateDisplay));
    EXPECT_EQ(10, SlotOf(&IHostDocumentData::GetChannelCalculation));
    EXPECT_EQ(4, SlotOf(&IHostChannelCalculation::PrepareReplacement));
    EXPECT_EQ(9, SlotOf(&IHostChannelCalculation::GetCalculationType));
    EXPECT_EQ(4, SlotOf(&IHostChannelCalcState::Recalculate));
    EXPECT_EQ(7, SlotOf(&IHostChannelCalcState::GetState));
    EXPECT_EQ(11, SlotOf(&IHostCalcReceiver::GetTarget));
    EXPECT_EQ(3, SlotOf(&IHostCalculationText::SetTexts));
    EXPECT_EQ(5, SlotOf(&IHostCalculationText::SetTextsWithRange));
    EXPECT_EQ(9, SlotOf(&IHostChannelCounts::GetAllChannelCount));
    EXPECT_EQ(10, SlotOf(&IHostChannelCounts::GetRecordedChannelCount));
    EXPECT_EQ(12, SlotOf(&IHostChannelCounts::GetCalculationChannelCount));
    EXPECT_EQ(4, SlotOf(&IEnumObjectEvents::Seek));
    EXPECT_EQ(9, SlotOf(&IEnumObjectEvents::GetTimeBase));
}
