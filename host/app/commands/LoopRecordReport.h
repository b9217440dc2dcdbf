// The loop records of the module's loop analyzer as text: one line per record with its position, state,
// value and the 31 parameters by index, or with a summary a line per parameter over the valid loops.
#pragma once

#include "hostapi/CalcEventRecords.h"
#include "hostapi/LoopParameterNames.h"

#include <array>
#include <cstddef>
#include <ostream>
#include <span>
#include <string>

namespace Host
{

// Loop records and pressure-volume-area records are told from other events by their size.
inline constexpr size_t LoopRecordSize = sizeof(Sistra::SistraEvent);
inline constexpr size_t PvaRecordSize = sizeof(Sistra::PVAEvent);

// The units loop parameters are shown in: those the pressure and volume were recorded in. Calculations
// read them without their prefixes; a shown value is the value read times the factor.
struct ShownLoopUnits
{
    std::string pressure;
    std::string volume;
    double pressureFactor = 1.0;
    double volumeFactor = 1.0;

    // The unit of parameter index 1-31; empty without one, or when it is made of a unit not known here.
    std::string Unit(int index) const;
    // The column title of parameter index 1-31: its name, and its unit in parentheses when it has one.
    std::string Title(int index) const;
};

class LoopRecordReport
{
public:
    LoopRecordReport(std::ostream& out, bool summary) : out_(out), summary_(summary) {}
    void SetUnits(const ShownLoopUnits& units) { units_ = units; }
    // The title of the records' value column (their end-diastolic pressure as read), with its unit.
    void SetValueTitle(const std::string& title) { valueTitle_ = title; }

    void Header();
    // Records of one record (block) of the recording, back to back.
    void Records(size_t record, std::span<const std::byte> records);
    // The summary, when one was asked for.
    void Finish();

    // 9 significant digits in the classic locale; "NaN" for NaN.
    static std::string NumberText(double value);

private:
    struct Statistics
    {
        size_t count = 0;
        double sum = 0.0;
        double minimum = 0.0;
        double maximum = 0.0;
        void Add(double value);
    };

    void Line(size_t record, const Sistra::SistraEvent& loop);

    double Shown(const Sistra::SistraEvent& loop, int index) const;

    std::ostream& out_;
    bool summary_;
    ShownLoopUnits units_;
    std::string valueTitle_ = "value";
    std::array<Statistics, LoopParameterCount> statistics_{};
};

// The pressure-volume-area records of "PvaCalc": a line per record with its position, value, area,
// potential energy, stroke work and the cardiac efficiency they give.
class PvaRecordReport
{
public:
    explicit PvaRecordReport(std::ostream& out) : out_(out) {}
    void SetUnits(const ShownLoopUnits& units) { units_ = units; }
    // The title of the records' value column (their loop's value), with its unit.
    void SetValueTitle(const std::string& title) { valueTitle_ = title; }

    void Header();
    void Records(size_t record, std::span<const std::byte> records);

private:
    std::ostream& out_;
    ShownLoopUnits units_;
    std::string valueTitle_ = "value";
};

} // namespace Host
