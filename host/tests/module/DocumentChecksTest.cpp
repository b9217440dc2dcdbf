// A saved document checked as it opens: a changed byte anywhere is refused naming what it damaged, or
// changed nothing the document holds; a cut file is refused with the storage's reason, never read as a
// recording text; a document saved before documents carried checks opens with a warning.
#include "host/tests/RecordingFixtures.h"

#include "foundation/com/ComPtr.h"
#include "host/app/document/DocumentChecks.h"
#include "host/app/document/DocumentFile.h"
#include "host/app/document/DocumentFileOpening.h"
#include "host/app/files/TextConversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

namespace
{

using Bytes = std::vector<char>;
const wchar_t RecordingPath[] = L"C:\\recordings\\ventricle.txt";
constexpr size_t Samples = 1500;

// A pressure whose samples differ from each other and from the volume's, so that their bytes are found
// in the file.
Host::Recording Ventricle()
{
    std::vector<float> pressure(Samples), volume(Samples);
    for (size_t tick = 0; tick < Samples; ++tick)
    {
        pressure[tick] = 10.0f + 0.37f * static_cast<float>(tick);
        volume[tick] = -200.0f - 0.11f * static_cast<float>(tick);
    }
    return HostTests::MakeRecording(0.001, {{pressure, volume}}, {{"P", "mmHg"}, {"V", "uL"}});
}

Bytes FileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A refusal of a damaged document that says what is wrong in words, not by a bare code.
bool SaidInWords(const std::string& failure)
{
    const std::string lead = "is a damaged document: ";
    const size_t reason = failure.find(lead);
    return reason != std::string::npos && failure.compare(reason + lead.size(), 2, "0x") != 0 &&
           failure.size() > reason + lead.size();
}

class DocumentChecks : public testing::Test
{
protected:
    DocumentChecks() : recording(Ventricle())
    {
        std::filesystem::remove(path);
        const Host::ShownRecording shown{recording, {}};
        EXPECT_EQ(S_OK, Host::SaveDocumentFile(path.wstring(), RecordingPath, {}, {{L"ecg", L"rwavedet(ch2, 0.2)"}}, &shown));
        saved = FileBytes(path);
    }
    ~DocumentChecks() override { std::filesystem::remove(path); }

    // What opening the file as it is now says: empty when it opened.
    std::string OpenFailure()
    {
        try
        {
            Host::ReadDocumentFile(path.wstring());
            return {};
        }
        catch (const Host::DocumentDamaged& damage)
        {
            return damage.what();
        }
    }

    const Host::Recording recording;
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "document-checks.sdoc";
    Bytes saved;
};

TEST_F(DocumentChecks, AChangedPressureSampleIsRefusedNamingItsRecord)
{
    const auto& samples = recording.RecordAt(0).Samples(0);
    const auto* first = reinterpret_cast<const char*>(samples.data()) + 400 * sizeof(float);
    const auto found = std::search(saved.begin(), saved.end(), first, first + 4 * sizeof(float));
    ASSERT_NE(saved.end(), found);
    Bytes damaged = saved;
    damaged[static_cast<size_t>(found - saved.begin()) + 1] ^= 0x01;
    WriteBytes(path, damaged);

    const std::string failure = OpenFailure();
    EXPECT_NE(std::string::npos, failure.find("the samples of its record 1 (stream Data/Record1)")) << failure;
    EXPECT_NE(std::string::npos, failure.find("changed after the save")) << failure;
    EXPECT_EQ(std::string::npos, failure.find("0x")) << failure;
}

// Property: whatever byte is changed, the document is refused in words or reads back as it was saved
// (the byte lay where the file holds nothing: the unused end of a cluster). Bytes that hold something
// are tried densely, the zeros of the unused room sparsely.
TEST_F(DocumentChecks, EveryChangedByteIsRefusedOrChangesNothingTheDocumentHolds)
{
    constexpr size_t EveryHeldByte = 7, EveryByte = 1009;
    std::vector<size_t> positions;
    for (size_t at = 0, held = 0; at < saved.size(); ++at)
        if ((saved[at] != 0 && held++ % EveryHeldByte == 0) || at % EveryByte == 0)
            positions.push_back(at);
    size_t refused = 0, unchanged = 0;
    for (const size_t at : positions)
    {
        Bytes damaged = saved;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x24);
        WriteBytes(path, damaged);
        std::optional<Host::DocumentFileContent> content;
        try
        {
            content = Host::ReadDocumentFile(path.wstring());
        }
        catch (const Host::DocumentDamaged& damage)
        {
            ++refused;
            EXPECT_TRUE(SaidInWords(damage.what())) << "byte " << at << ": " << damage.what();
            continue;
        }
        ASSERT_TRUE(content && content->data) << "byte " << at << " read as no document";
        ++unchanged;
        EXPECT_TRUE(content->checked);
        EXPECT_EQ(RecordingPath, content->recording);
        const auto read = content->data->recording.RecordAt(0).Samples(1);
        const auto written = recording.RecordAt(0).Samples(1);
        EXPECT_TRUE(std::ranges::equal(read, written) &&
                    std::ranges::equal(content->data->recording.RecordAt(0).Samples(0), recording.RecordAt(0).Samples(0)))
            << "byte " << at << " changed a sample unseen";
    }
    std::cout << positions.size() << " of " << saved.size() << " bytes changed: " << refused << " refused, " << unchanged
              << " changed nothing held\n";
    EXPECT_GT(refused, unchanged);
}

// A file cut anywhere past its first few bytes is a damaged document that says it is cut short, with the
// storage's or the check's reason; cut within them it is no document at all (a recording reader then
// refuses it).
TEST_F(DocumentChecks, ACutFileIsRefusedAsADamagedDocument)
{
    std::vector<size_t> lengths{saved.size() / 2, saved.size() - 1};
    for (size_t length = 8; length < saved.size(); length += 1 + length / 3)
        lengths.push_back(length);
    for (const size_t length : lengths)
    {
        WriteBytes(path, Bytes(saved.begin(), saved.begin() + static_cast<std::ptrdiff_t>(length)));
        const std::string failure = OpenFailure();
        EXPECT_TRUE(SaidInWords(failure)) << "cut at " << length << ": " << failure;
        EXPECT_NE(std::string::npos, failure.find("cut short")) << "cut at " << length << ": " << failure;
    }
}

TEST_F(DocumentChecks, ADocumentSavedWithoutChecksOpensWithAWarning)
{
    {
        Orv::ComPtr<IStorage> root;
        ASSERT_EQ(S_OK, Host::OpenDocumentFile(path.wstring(), root.Put()));
        ASSERT_EQ(S_OK, root->DestroyElement(L"Checks"));
        ASSERT_EQ(S_OK, root->Commit(STGC_DEFAULT));
    }
    const auto opened = Host::DocumentFileOpening::Read(path.string());
    ASSERT_TRUE(opened);
    ASSERT_EQ(1u, opened->Warnings().size());
    EXPECT_NE(std::string::npos, opened->Warnings().front().find("no check")) << opened->Warnings().front();

    Orv::ComPtr<IStorage> root;
    ASSERT_EQ(S_OK, Host::OpenDocumentFile(path.wstring(), root.Put()));
    ASSERT_EQ(S_OK, Host::WriteDocumentChecks(root.Get()));
    ASSERT_EQ(S_OK, root->Commit(STGC_DEFAULT));
    root.Reset();
    EXPECT_TRUE(Host::DocumentFileOpening::Read(path.string())->Warnings().empty()) << "checked once saved again";
}

} // namespace
