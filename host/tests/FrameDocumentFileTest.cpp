// The host document saved and opened again through the frame's File menu, as a person does: the document
// that opens has the recording, the settings and the calibration it was saved with, and the same loops.
#include "host/app/TextConversion.h"
#include "host/tests/FrameSessionFixture.h"

#include "host/app/macro/MacroText.h"
#include "hostapi/VyrDocuments.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace
{

using Bytes = std::vector<char>;

// Every setting of the module's document, as its full record holds it.
Bytes SettingsOf(IUnknown* document)
{
    Orv::ComPtr<ICustomDocument> module;
    Orv::ComPtr<IUnknown> persister;
    Orv::ComPtr<IPersistStreamInit> stream;
    Orv::ComPtr<IStream> memory;
    document->QueryInterface(IID_ICustomDocument, module.PutVoid());
    if (!module || module->GetPersister(0, 2, nullptr, persister.Put()) != S_OK ||
        FAILED(persister->QueryInterface(IID_IPersistStreamInit, stream.PutVoid())) ||
        FAILED(CreateStreamOnHGlobal(nullptr, TRUE, memory.Put())) || FAILED(stream->Save(memory.Get(), FALSE)))
        return {};
    STATSTG stat{};
    memory->Stat(&stat, STATFLAG_NONAME);
    memory->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    Bytes bytes(static_cast<size_t>(stat.cbSize.QuadPart));
    ULONG read = 0;
    memory->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    return bytes;
}

// The loops' parameters bit for bit (a parameter a loop lacks is NaN, which equals nothing).
std::vector<uint64_t> LoopValues(Host::OpenedRecording& opened)
{
    std::vector<uint64_t> values;
    for (const Host::LoopRow& loop : opened.Analysis()->Loops())
        for (const double value : loop.values)
            values.push_back(std::bit_cast<uint64_t>(value));
    return values;
}

class FrameDocumentFile : public HostTests::FrameSessionFixture
{
protected:
    // Outside the workflow a calibration waits for no earlier step. The loops start at the ECG's R waves,
    // a calculation of the host document that the module's settings name.
    FrameDocumentFile()
        : FrameSessionFixture("frame-document-file.csv", HostTests::OcclusionText(16),
                              Host::OpenOptions{.channels = {.ecg = "3"}, .leaveWorkflow = true})
    {
    }

    std::wstring Choose(const std::wstring& item)
    {
        return HostTests::ChooseMenuItem(Frame(), L"File", [&](const std::wstring& text) { return text == item; });
    }
};

TEST_F(FrameDocumentFile, SaveAsThenOpenShowsTheDocumentAgainWithItsCalibrationAndSettings)
{
    ASSERT_NE(nullptr, opened->Analysis());
    const Bytes uncalibrated = SettingsOf(opened->Document());
    Host::Macro::Statement calibrate(L"Doc.ApplySistraCuvetteCalibration slope:=0.5, intercept:=-3");
    opened->Analysis()->RunStatement(calibrate);
    opened->Analysis()->AnalyzeNow();
    const Bytes settings = SettingsOf(opened->Document());
    ASSERT_NE(uncalibrated, settings);
    const std::vector<uint64_t> loops = LoopValues(*opened);
    ASSERT_FALSE(loops.empty());
    const auto calculations = opened->Host().ItemCalculations();
    ASSERT_FALSE(calculations.empty());
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "frame-document-file.sdoc";
    std::filesystem::remove(path);

    opened->StandIn().ScriptSaveFileAnswer(path.c_str());
    ASSERT_EQ(L"Save &As...", Choose(L"Save &As..."));
    ASSERT_TRUE(std::filesystem::exists(path));
    // Cancelled, Open leaves the frame as it was.
    opened->StandIn().ScriptSaveFileAnswer(nullptr);
    ASSERT_EQ(L"&Open...", Choose(L"&Open..."));
    EXPECT_TRUE(IsWindow(Frame().Handle()));
    EXPECT_FALSE(session->NextDocument());

    opened->StandIn().ScriptSaveFileAnswer(path.c_str());
    Choose(L"&Open...");
    ASSERT_TRUE(HostTests::PumpUntil(Frame(), [&] { return !IsWindow(Frame().Handle()); }));
    ASSERT_EQ(path.wstring(), session->NextDocument());
    const std::string next = Host::ToUtf8(*session->NextDocument());
    const std::string recording = std::filesystem::absolute(file.Path()).string();
    session.reset();
    opened.reset();

    opened.emplace(next);
    EXPECT_EQ(recording, opened->File());
    EXPECT_EQ(path.wstring(), opened->DocumentFile());
    EXPECT_EQ(calculations, opened->Host().ItemCalculations());
    EXPECT_EQ(settings, SettingsOf(opened->Document()));
    EXPECT_EQ(loops, LoopValues(*opened));
    std::filesystem::remove(path);
}

} // namespace
