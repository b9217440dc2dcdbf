// The cuvette tests' tables: readings given reading by reading, as the model keeps them.
#pragma once

#include "document/models/ModelValues.h"

#include <vector>

namespace CuvetteTesting
{

// readings[r][w]: reading r of well w.
inline Sistra::DoubleMatrix ReadingsTable(const std::vector<std::vector<double>>& readings)
{
    Sistra::DoubleMatrix table;
    for (size_t r = 0; r < readings.size(); ++r)
        for (size_t w = 0; w < readings[r].size(); ++w)
            table.Set(static_cast<int32_t>(r), static_cast<int32_t>(w), readings[r][w]);
    return table;
}

} // namespace CuvetteTesting
