// A host document saved as a compound file: the recording it shows and the settings records of its
// modules' documents. A save rewrites the file and commits once, so that a file cut anywhere in a save
// holds the document as it was before the save or as it was saved, never a mix.
//
// Layout (with the check of every stream, DocumentChecks.h): stream "Recording" (the recording's path,
// UTF-16); stream "Items" (the host document's named calculations, each its name and its text, UTF-16,
// each ended by a NUL), only when it has any; per module document a storage "Module<n>" (n from 1) with
// stream "ClassId" (the class id its persisters report) and a stream per settings record, "Full" and
// "SettingsOnly"; storage "Data" with the recording as the document shows it (DocumentData.h), which a
// file saved before documents kept their data lacks: such a file opens the recording it names; storage
// "ComputedChannels", only when the document has any, with a stream per computed channel in the
// document's order, "Channel<n>" (n from 1): a header of 44 bytes (format version 1, the class's GUID and
// number, the settings type's number and GUID, the unit's length), the unit the channel showed (UTF-16),
// then the settings record.
#pragma once

#include "host/app/document/DocumentData.h"
#include "hostapi/VyrDocuments.h"

#include <objidl.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Host
{

using ModuleDocuments = std::vector<ICustomDocument*>;
// The host document's named calculations (an ECG's R waves, say), which the modules' settings may name:
// each name with its text.
using HostItems = std::vector<std::pair<std::wstring, std::wstring>>;

// A type of the framework's as a file keeps it: the registry's code for a GUID is its session's own, the
// GUID is not.
struct SavedTypeId
{
    GUID guid{};
    uint16_t number = 0;
};
// A computed channel as its document keeps it: the calculation class that makes it, the settings record
// (of its settings type) the class makes it from, and the unit the host showed it in, which the record
// does not hold.
struct SavedComputedChannel
{
    SavedTypeId calculationClass;
    SavedTypeId settingsType;
    std::vector<char> settings;
    std::wstring unit;
    // Why the file's record of the channel cannot be read; empty when it can.
    std::string damage;
};
using SavedComputedChannels = std::vector<SavedComputedChannel>;

// Writes the document into root (a new or an earlier saved file) and commits. A record a module fails
// to write fails the save with its code and leaves the file as it was. With data, the file keeps the
// recording as shown (progress, when given, told how far the save got); without, it names the recording only.
HRESULT SaveDocument(IStorage* root, const std::wstring& recordingPath, const ModuleDocuments& modules,
                     const HostItems& items = {}, const ShownRecording* data = nullptr,
                     IHostProgress* progress = nullptr, const SavedComputedChannels& channels = {});
// The path of the recording a saved document shows.
HRESULT ReadRecordingReference(IStorage* root, std::wstring& recordingPath);
// The named calculations a saved document holds (none when it holds none).
HRESULT ReadHostItems(IStorage* root, HostItems& items);
// The computed channels a saved document holds (none when it holds none); a channel whose record is
// damaged is read with its damage named, the others as they are.
HRESULT ReadComputedChannels(IStorage* root, SavedComputedChannels& channels);
// Loads into each module document the settings records the file holds for its class; a record the
// file lacks starts the persister afresh (InitNew). The first failure's code, after trying them all.
HRESULT LoadModuleSettings(IStorage* root, const ModuleDocuments& modules);

// The same on a file, written under a temporary name beside it that takes the file's name only once the
// save is whole: a failed or cancelled save leaves an earlier file as it was. A file that holds something
// other than a document is refused, not replaced.
HRESULT SaveDocumentFile(const std::wstring& path, const std::wstring& recordingPath, const ModuleDocuments& modules,
                         const HostItems& items = {}, const ShownRecording* data = nullptr,
                         IHostProgress* progress = nullptr, const SavedComputedChannels& channels = {});
HRESULT OpenDocumentFile(const std::wstring& path, IStorage** root);
// Loads the module documents' settings from the document file at path, as LoadModuleSettings does.
HRESULT LoadDocumentFileSettings(const std::wstring& path, const ModuleDocuments& modules);
struct DocumentFileContent
{
    std::wstring recording;
    HostItems items;
    // The recording as it was shown when saved; none in a file saved before documents kept their data.
    std::optional<SavedRecording> data;
    SavedComputedChannels channels;
    // Whether every stream matched the check saved with it; false for a document saved before documents
    // carried checks, whose damage cannot be told.
    bool checked = true;
};
// The recording the document file at path shows (its data, where it keeps them) and its host document's
// calculations, once every stream matched its check; nothing when path holds no compound file (a recording
// text, or no file at all). Throws DocumentDamaged (DocumentChecks.h) for a compound file that the storage
// cannot open or whose streams do not match their checks, naming what is damaged, and std::runtime_error
// for one that holds no document.
std::optional<DocumentFileContent> ReadDocumentFile(const std::wstring& path);

// A module document's settings as a file of its own (its full record in the settings file format, with
// its checksum), as the host keeps settings files. A
// save writes the file beside its name and renames it into place only once whole, so a failed save
// leaves an earlier file as it was; a load reads the whole file before the document sees any of it, and
// answers S_FALSE for a bare record an earlier version wrote, loaded without a checksum to check it by.
HRESULT SaveSettingsFile(ICustomDocument* module, const std::wstring& path);
HRESULT LoadSettingsFile(ICustomDocument* module, const std::wstring& path);

} // namespace Host
