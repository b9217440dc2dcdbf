// The host stand-in as the module's tests may see it: recordings of float samples, the host's documents
// over them, the module's document on such a host document, the framework every test of a process shares
// and the host's unit conversions, in plain types and the shared interfaces. The stand-in's own classes
// stay behind this seam (host/tests/support builds it); only the host's tests use them directly.
#pragma once

#include "hostapi/CalcInterfaces.h"
#include "hostapi/HostDocument.h"
#include "hostapi/VyrClassRegistry.h"
#include "hostapi/VyrServices.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace Sistra
{
class SistraDocument;
}

namespace StandInHost
{

struct ChannelInfo
{
    std::string name;
    std::string unit;
};

class Record;

// A recording held by the host: records of float samples on named channels. A host document reads it
// where it lies, so it must outlive the documents made over it; a move keeps it where it is.
class Recording
{
public:
    explicit Recording(std::vector<ChannelInfo> channels);
    Recording(Recording&&) noexcept;
    Recording& operator=(Recording&&) noexcept;
    ~Recording();

    // A new record of samples taken sampleInterval seconds apart.
    Record AddRecord(double sampleInterval);
    void MarkFinished();

    // The stand-in's recording, which only the seam's implementation knows.
    struct Concrete;
    explicit Recording(std::unique_ptr<Concrete> concrete);
    Concrete& Get() const { return *concrete_; }

private:
    std::unique_ptr<Concrete> concrete_;
};

// One record of a recording, valid while the recording lives.
class Record
{
public:
    // One row of samples per channel, all of one length.
    void Append(const std::vector<std::span<const float>>& rows);
    void MarkComplete();

private:
    friend class Recording;
    Record(Recording::Concrete& recording, size_t index) : recording_(recording), index_(index) {}

    Recording::Concrete& recording_;
    size_t index_;
};

// A ventricle beating steadily at 1 kHz, pressure on channel 1 and volume on channel 2; growth: how
// much each beat's volume grows over the one before, as a fraction of the first's.
Recording SteadyVentricle(int32_t samples, double growth = 0.0);

// A document of the host over a recording, as the module's tests handle it.
class HostDocument
{
public:
    // The host document behind a context the module was given; null for anything else.
    static std::unique_ptr<HostDocument> FromContext(IUnknown* context);

    // The stand-in's document, which only the seam's implementation knows.
    struct Concrete;
    explicit HostDocument(std::unique_ptr<Concrete> concrete);
    ~HostDocument();
    HostDocument(const HostDocument&) = delete;
    HostDocument& operator=(const HostDocument&) = delete;

    IUnknown* Unknown();

    HRESULT SelectRange(int32_t channel, const TickPosition* start, const TickPosition* end);
    // A selection of the time range over every channel.
    void SetSelection(TickPosition start, TickPosition end);

    HRESULT GetChannelConversion(int32_t position, int32_t record, int32_t channel,
                                 IUnitConversion** conversion);
    // Shows the channel in one record with the conversion; throws std::out_of_range for a record or
    // channel the document does not have.
    void SetRecordConversion(int32_t channel, int32_t record, IUnitConversion* conversion);

    // How many calculated channels (vch1, vch2, ...) the document has.
    size_t CalculatedChannelCount() const;
    HRESULT GetChannelCalculation(int32_t channel, int32_t selector, IUnknown** object);
    // The events of calculated channel index (vch index + 1) in the record from the tick on.
    HRESULT OpenCalculatedChannelEvents(int32_t index, int32_t record, int32_t startTick,
                                        IEnumEventEx** events);

    // How the document tells its windows to show times; none leaves the asker's mode as it is.
    void SetTimeDisplayMode(std::optional<uint32_t> mode);

    // True while the document records what a sampling source hands it.
    bool Acquiring() const;
    // The units the acquisition declared for the channel; null when it declared none.
    IUnknown* DeclaredUnits(int32_t channel) const;

private:
    std::unique_ptr<Concrete> concrete_;
};

// One module document on one host document over the recording (offline, or sampling it): the module's
// calculation functions bound to the host, pressure on channel 1 and volume on channel 2, the document
// told that its host document is ready. calculated: the texts of the host's calculated channels (vch1
// first).
class DocumentOnHost
{
public:
    DocumentOnHost(const Recording& recording, bool sampling, bool online,
                   std::vector<std::string> calculated = {});
    ~DocumentOnHost();
    DocumentOnHost(const DocumentOnHost&) = delete;
    DocumentOnHost& operator=(const DocumentOnHost&) = delete;

    Sistra::SistraDocument& Document();
    HostDocument& Host();

private:
    struct Concrete;
    std::unique_ptr<Concrete> concrete_;
};

// The framework every test of this process shares; it outlives everything the module caches.
IVyrStandIn& StandIn();

// The shared framework with the host the self-tests run under: the module's calculation functions and
// self-test objects registered with it, and the host's own calculations beside them.
IVyrStandIn& SelfTestHost();

// A conversion of two points (raw1 shown as shown1, raw2 as shown2) in unit with its SI prefix code, as
// the host's units service makes it from the current one.
HRESULT CreateTwoPointConversion(IUnitConversion* current, const WCHAR* raw1, const WCHAR* raw2,
                                 const WCHAR* shown1, const WCHAR* shown2, const WCHAR* unit, LONG prefixCode,
                                 IUnitConversion** conversion);

} // namespace StandInHost
