#include "host/app/commands/LoopRecordReport.h"

#include "host/app/commands/TextOutput.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>

namespace Host
{
namespace
{

constexpr int SignificantDigits = 9;
constexpr int PvaIndex = 26;
constexpr int PeIndex = 27;
constexpr int CeIndex = 28;
constexpr int SwIndex = 1;


// NumberText written straight into the stream.
void PutNumber(std::ostream& out, double value)
{
    if (std::isnan(value))
    {
        PutText(out, "NaN");
        return;
    }
    char text[40];
    out.write(text, std::to_chars(text, text + sizeof text, value, std::chars_format::general, SignificantDigits).ptr - text);
}

} // namespace

std::string LoopRecordReport::NumberText(double value)
{
    if (std::isnan(value))
        return "NaN";
    char text[40];
    return std::string(text, std::to_chars(text, text + sizeof text, value, std::chars_format::general, SignificantDigits).ptr);
}

std::string ShownLoopUnits::Unit(int index) const
{
    // A unit made with one that is not known is not known either.
    const std::string_view form = LoopParameterUnitForms[index - 1];
    if ((pressure.empty() && form.find('P') != form.npos) || (volume.empty() && form.find('V') != form.npos))
        return {};
    return LoopParameterUnit(index, pressure, volume);
}

std::string ShownLoopUnits::Title(int index) const
{
    const std::string unit = Unit(index);
    const std::string name = LoopParameterShortNames[index - 1];
    return unit.empty() ? name : name + " (" + unit + ")";
}

double LoopRecordReport::Shown(const Sistra::SistraEvent& loop, int index) const
{
    // A loop record holds no area: PVA, PE and CE come from the area calculation ("PvaCalc"), given the
    // relations between loops. Without them they are not known, rather than the accessor's 0.
    if (index >= PvaIndex && index <= CeIndex)
        return std::numeric_limits<double>::quiet_NaN();
    return loop.GetScaledParameter(index, units_.pressureFactor, units_.volumeFactor);
}

void LoopRecordReport::Statistics::Add(double value)
{
    minimum = count == 0 ? value : std::min(minimum, value);
    maximum = count == 0 ? value : std::max(maximum, value);
    sum += value;
    ++count;
}

void LoopRecordReport::Header()
{
    if (summary_)
    {
        out_ << "parameter\tunit\tcount\tmean\tmin\tmax\n";
        return;
    }
    out_ << "record\ttick\tfraction\tstate\t" << valueTitle_;
    for (int index = 1; index <= LoopParameterCount; ++index)
        out_ << '\t' << units_.Title(index);
    out_ << '\n';
}

void LoopRecordReport::Records(size_t record, std::span<const std::byte> records)
{
    for (size_t offset = 0; offset + LoopRecordSize <= records.size(); offset += LoopRecordSize)
    {
        Sistra::SistraEvent loop;
        std::memcpy(&loop, records.data() + offset, LoopRecordSize);
        if (!summary_)
            Line(record, loop);
        else if (loop.state == Sistra::LoopStateValid)
            for (int index = 1; index <= LoopParameterCount; ++index)
                if (const double value = Shown(loop, index); !std::isnan(value))
                    statistics_[static_cast<size_t>(index - 1)].Add(value);
    }
}

void LoopRecordReport::Line(size_t record, const Sistra::SistraEvent& loop)
{
    PutInteger(out_, record);
    out_.put('\t');
    PutInteger(out_, loop.base.tick);
    out_.put('\t');
    PutNumber(out_, loop.base.fraction);
    out_.put('\t');
    PutInteger(out_, loop.state);
    out_.put('\t');
    PutNumber(out_, loop.base.value);
    for (int index = 1; index <= LoopParameterCount; ++index)
    {
        out_.put('\t');
        PutNumber(out_, Shown(loop, index));
    }
    out_.put('\n');
}

void LoopRecordReport::Finish()
{
    if (!summary_)
        return;
    for (int index = 0; index < LoopParameterCount; ++index)
    {
        const Statistics& s = statistics_[static_cast<size_t>(index)];
        out_ << LoopParameterShortNames[index] << '\t'
             << units_.Unit(index + 1) << '\t' << s.count;
        if (s.count == 0)
            out_ << "\tNaN\tNaN\tNaN\n";
        else
            out_ << '\t' << NumberText(s.sum / static_cast<double>(s.count)) << '\t' << NumberText(s.minimum) << '\t'
                 << NumberText(s.maximum) << '\n';
    }
}

void PvaRecordReport::Header()
{
    out_ << "record\ttick\tfraction\t" << valueTitle_ << '\t' << units_.Title(PvaIndex) << '\t' << units_.Title(PeIndex) << '\t'
         << units_.Title(SwIndex) << '\t' << units_.Title(CeIndex) << '\n';
}

void PvaRecordReport::Records(size_t record, std::span<const std::byte> records)
{
    for (size_t offset = 0; offset + PvaRecordSize <= records.size(); offset += PvaRecordSize)
    {
        Sistra::PVAEvent pva;
        std::memcpy(&pva, records.data() + offset, PvaRecordSize);
        out_ << record << '\t' << pva.base.tick << '\t' << LoopRecordReport::NumberText(pva.base.fraction) << '\t'
             << LoopRecordReport::NumberText(pva.base.value);
        // The accessor's NaN for a record without a result, rather than the raw fields.
        const double work = units_.pressureFactor * units_.volumeFactor;
        for (int index : {PvaIndex, PeIndex})
            out_ << '\t' << LoopRecordReport::NumberText(pva.GetParameter(index, nullptr, nullptr) * work);
        out_ << '\t' << LoopRecordReport::NumberText(pva.strokeWork * work) << '\t'
             << LoopRecordReport::NumberText(pva.GetParameter(CeIndex, nullptr, nullptr)) << '\n';
    }
}

} // namespace Host
