#include "document/models/PropertyIds.h"

#include <array>

namespace Sistra
{
namespace
{

constexpr std::array<PropertyInfo, PropertyId::Count> Properties{{
    {1, PropertyType::Int}, // 0
    {1, PropertyType::Channel}, // 1
    {1, PropertyType::Channel}, // 2
    {2, PropertyType::Double}, // 3
    {2, PropertyType::Double}, // 4
    {2, PropertyType::Double}, // 5
    {2, PropertyType::Double}, // 6
    {2, PropertyType::Bool}, // 7
    {3, PropertyType::Double}, // 8
    {3, PropertyType::Double}, // 9
    {3, PropertyType::Double}, // 10
    {3, PropertyType::Double}, // 11
    {3, PropertyType::Bool}, // 12
    {3, PropertyType::Unit}, // 13
    {4, PropertyType::Bool}, // 14
    {5, PropertyType::Double}, // 15
    {5, PropertyType::Double}, // 16
    {5, PropertyType::Bool}, // 17
    {6, PropertyType::Double}, // 18
    {6, PropertyType::Bool}, // 19
    {7, PropertyType::Int}, // 20
    {8, PropertyType::Bool}, // 21
    {8, PropertyType::Bool}, // 22
    {8, PropertyType::Int}, // 23
    {8, PropertyType::Int}, // 24
    {9, PropertyType::Int}, // 25
    {9, PropertyType::Bool}, // 26
    {1, PropertyType::Int}, // 27
    {1, PropertyType::Int}, // 28
    {1, PropertyType::Text}, // 29
    {1, PropertyType::Double}, // 30
    {1, PropertyType::Double}, // 31
    {1, PropertyType::Int}, // 32
    {5, PropertyType::Unit}, // 33
    {1, PropertyType::Bool}, // 34
    {1, PropertyType::Bool}, // 35
    {1, PropertyType::Bool}, // 36
    {5, PropertyType::DoubleVector}, // 37
    {5, PropertyType::Matrix}, // 38
    {1, PropertyType::Bool}, // 39
    {6, PropertyType::BolusList}, // 40
    {6, PropertyType::IntSet}, // 41
    {10, PropertyType::Double}, // 42
    {10, PropertyType::Bool}, // 43
    {10, PropertyType::Int}, // 44
    {10, PropertyType::Double}, // 45
    {10, PropertyType::Double}, // 46
    {10, PropertyType::Double}, // 47
    {10, PropertyType::Double}, // 48
    {11, PropertyType::Unit}, // 49
    {11, PropertyType::Double}, // 50
    {11, PropertyType::Double}, // 51
    {11, PropertyType::Double}, // 52
    {11, PropertyType::Double}, // 53
    {11, PropertyType::Bool}, // 54
    {12, PropertyType::ParameterSet}, // 55
    {12, PropertyType::Bool}, // 56
    {12, PropertyType::Bool}, // 57
    {1, PropertyType::Int}, // 58
    {1, PropertyType::Position}, // 59
    {1, PropertyType::Position}, // 60
    {8, PropertyType::IntSet}, // 61
    {13, PropertyType::Int}, // 62
    {14, PropertyType::Int}, // 63
    {14, PropertyType::Unit}, // 64
    {14, PropertyType::Double}, // 65
    {14, PropertyType::Double}, // 66
    {14, PropertyType::Double}, // 67
    {14, PropertyType::Double}, // 68
    {14, PropertyType::Double}, // 69
    {14, PropertyType::Double}, // 70
    {14, PropertyType::Bool}, // 71
    {1, PropertyType::Int}, // 72
    {1, PropertyType::Int}, // 73
    {8, PropertyType::Int}, // 74
}};

} // namespace

PropertyInfo GetPropertyInfo(int id)
{
    if (id < 0 || id >= PropertyId::Count)
        return PropertyInfo{0, PropertyType::Int};
    return Properties[static_cast<size_t>(id)];
}

} // namespace Sistra
