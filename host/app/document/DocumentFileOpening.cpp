#include "host/app/document/DocumentFileOpening.h"

#include "host/app/document/DocumentData.h"
#include "host/app/files/TextConversion.h"
#include "host/app/recording/RecordingText.h"

#include <algorithm>
#include <cwctype>
#include <stdexcept>
#include <utility>

namespace Host
{
namespace
{

// Whether text names a recorded channel (chN) that the recording deleted: such a calculation yields nothing.
bool ReadsDeletedChannel(const Recording& recording, const std::wstring& text)
{
    const auto isNamePart = [](wchar_t c) { return std::iswalnum(c) || c == L'_'; };
    for (size_t at = 0; at + 2 < text.size(); ++at)
    {
        if (std::towlower(text[at]) != L'c' || std::towlower(text[at + 1]) != L'h' || (at > 0 && isNamePart(text[at - 1])))
            continue;
        size_t end = at + 2;
        while (end < text.size() && std::iswdigit(text[end]))
            ++end;
        // More digits than any channel count has name no channel of the recording.
        constexpr size_t MostDigits = 9;
        if (end == at + 2 || end - at - 2 > MostDigits || (end < text.size() && isNamePart(text[end])))
            continue;
        const size_t channel = std::stoul(text.substr(at + 2, end - at - 2));
        if (channel >= 1 && channel <= recording.Channels().size() && recording.Channels()[channel - 1].deleted)
            return true;
    }
    return false;
}

// The calculations of a saved document, named again in the host document: those the module's settings
// may name (an ECG's R waves) before the settings are loaded, those that call the module's functions once
// its document has registered them; a calculation the module made again itself is left as it made it, and
// one that reads a channel deleted since it was made is left out, as it could yield nothing. The
// calculations not made yet; on the last pass, one that cannot be made otherwise is an error.
HostItems RestoreItems(HostDocument& host, const HostItems& items, bool lastPass)
{
    HostItems left;
    const HostItems made = host.ItemCalculations();
    for (const auto& item : items)
    {
        const auto& [name, text] = item;
        if (std::any_of(made.begin(), made.end(), [&](const auto& other) { return other.first == name; }))
            continue;
        HostItemId id{};
        BSTR problem = nullptr;
        HRESULT result = host.FindItem(name.c_str(), &id);
        if (SUCCEEDED(result))
            result = host.SetItemCalculation(id, text.c_str(), &problem);
        const std::wstring why = problem ? problem : L"";
        SysFreeString(problem);
        if (SUCCEEDED(result) || (lastPass && ReadsDeletedChannel(host.Data(), text)))
            continue;
        if (!lastPass)
            left.push_back(item);
        else
            throw std::runtime_error("the document's calculation " + ToUtf8(name) + " (" + ToUtf8(text) +
                                     ") cannot be made again: " + FailureText(result, why));
    }
    return left;
}

} // namespace

std::optional<DocumentFileOpening> DocumentFileOpening::Read(const std::string& path)
{
    std::optional<DocumentFileContent> content = ReadDocumentFile(FromUtf8(path));
    if (!content)
        return std::nullopt;
    return DocumentFileOpening(path, std::move(*content));
}

DocumentFileOpening::DocumentFileOpening(std::string path, DocumentFileContent content)
    : path_(std::move(path)), content_(std::move(content)), recordingFile_(ToUtf8(content_.recording))
{
}

Recording DocumentFileOpening::TakeRecording()
{
    // A document that keeps its data shows them, not the recording file as it is now.
    if (!content_.data)
        return LoadRecordingFile(recordingFile_);
    return std::move(content_.data->recording);
}

void DocumentFileOpening::PrepareHost(HostDocument& host)
{
    if (content_.data)
        ApplyConversions(host, content_.data->conversions);
    pendingItems_ = RestoreItems(host, content_.items, false);
}

AnalysisChoices DocumentFileOpening::Choices() const
{
    return AnalysisChoices{.documentFile = FromUtf8(path_)};
}

void DocumentFileOpening::FinishHost(HostDocument& host)
{
    RestoreItems(host, std::exchange(pendingItems_, {}), true);
}

std::vector<std::string> DocumentFileOpening::Warnings() const
{
    if (content_.checked)
        return {};
    return {"the document " + path_ +
            " carries no check of its content (an earlier version saved it): a damaged sample or setting in it "
            "cannot be told; save it again to add one"};
}

bool ShowsSavedAnalysis(const std::optional<DocumentFileOpening>& document, DocumentAnalysis& analysis)
{
    return document && analysis.LoopCount() > 0;
}

void FinishOpening(std::optional<DocumentFileOpening>& document, HostDocument& host, std::vector<std::string> warnings,
                   std::ostream& err, std::string_view prefix)
{
    if (document)
    {
        document->FinishHost(host);
        const std::vector<std::string> told = document->Warnings();
        warnings.insert(warnings.end(), told.begin(), told.end());
    }
    for (const std::string& warning : warnings)
        err << prefix << warning << "\n";
}

} // namespace Host
