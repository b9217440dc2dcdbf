#include "host/app/calc/SavitzkyGolay.h"

#include "platform/Processor.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

namespace Host::Calc
{

namespace
{

// Monomials of higher order make the normal equations too ill-conditioned for double precision.
constexpr int LargestOrder = 10;
constexpr int LargestWindow = 1 << 20;

int ParseCount(std::string_view text, const char* what)
{
    const size_t first = text.find_first_not_of(" \r\n");
    text = first == std::string_view::npos ? std::string_view() : text.substr(first, text.find_last_not_of(" \r\n") - first + 1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0)
        throw std::invalid_argument(std::string("sample filter: the ") + what + " '" + std::string(text) +
                                    "' is not a whole number of at least 0");
    return value;
}

// Solves the small dense system a * y = b in place (Gaussian elimination with partial pivoting).
std::vector<double> Solve(std::vector<std::vector<double>> a, std::vector<double> b)
{
    const size_t n = b.size();
    for (size_t column = 0; column < n; ++column)
    {
        size_t pivot = column;
        for (size_t row = column + 1; row < n; ++row)
            if (std::abs(a[row][column]) > std::abs(a[pivot][column]))
                pivot = row;
        std::swap(a[column], a[pivot]);
        std::swap(b[column], b[pivot]);
        for (size_t row = column + 1; row < n; ++row)
        {
            const double factor = a[row][column] / a[column][column];
            for (size_t k = column; k < n; ++k)
                a[row][k] -= factor * a[column][k];
            b[row] -= factor * b[column];
        }
    }
    std::vector<double> y(n);
    for (size_t row = n; row-- > 0;)
    {
        double sum = b[row];
        for (size_t k = row + 1; k < n; ++k)
            sum -= a[row][k] * y[k];
        y[row] = sum / a[row][row];
    }
    return y;
}

// Outputs are summed side by side in vector lanes, each lane one output summed in weight order with a
// multiply and an add of its own, exactly as one output alone would be: the filter runs over every
// sample of a recording's loops, and one sum at a time leaves each addition waiting for the one before.
// The samples are widened to doubles once beforehand instead of once for every weight they meet.
template <int Count>
struct Lanes
{
    typedef double Doubles __attribute__((vector_size(Count * sizeof(double))));
    typedef float Floats __attribute__((vector_size(Count * sizeof(float))));
};

// Vectors of outputs worked out together, so that their additions overlap.
constexpr int VectorsTogether = 4;

// Outputs first .. first + Vectors * Width - 1.
template <int Width, int Vectors>
[[gnu::always_inline]] inline void SumLanes(std::span<const double> coefficients, const double* input, float* out,
                                            size_t first)
{
    using Doubles = typename Lanes<Width>::Doubles;
    using Floats = typename Lanes<Width>::Floats;
    Doubles sums[Vectors] = {};
    for (size_t k = 0; k < coefficients.size(); ++k)
    {
        const double weight = coefficients[k];
#pragma GCC unroll 4
        for (int vector = 0; vector < Vectors; ++vector)
        {
            Doubles samples;
            std::memcpy(&samples, input + first + vector * Width + k, sizeof samples);
            const Doubles product = weight * samples;
            sums[vector] += product;
        }
    }
#pragma GCC unroll 4
    for (int vector = 0; vector < Vectors; ++vector)
    {
        const Floats rounded = __builtin_convertvector(sums[vector], Floats);
        std::memcpy(out + first + vector * Width, &rounded, sizeof rounded);
    }
}

// The last outputs that fill no whole vector are worked out again with the vector that ends at the last
// output: each output is its own sum, so one worked out twice is written twice the same.
template <int Width>
[[gnu::always_inline]] inline void ApplyInLanes(std::span<const double> coefficients, const double* input, float* out,
                                                size_t count)
{
    size_t first = 0;
    for (; first + VectorsTogether * Width <= count; first += VectorsTogether * Width)
        SumLanes<Width, VectorsTogether>(coefficients, input, out, first);
    for (; first + Width <= count; first += Width)
        SumLanes<Width, 1>(coefficients, input, out, first);
    if (first < count && count >= static_cast<size_t>(Width))
        SumLanes<Width, 1>(coefficients, input, out, count - Width);
    else
        for (; first < count; ++first)
        {
            double sum = 0.0;
            for (size_t k = 0; k < coefficients.size(); ++k)
                sum += coefficients[k] * input[first + k];
            out[first] = static_cast<float>(sum);
        }
}

// Without fused multiply-adds: those would round the products differently from the narrower lanes.
__attribute__((target("avx2,no-fma"))) void ApplyInFourLanes(std::span<const double> coefficients, const double* input,
                                                             float* out, size_t count)
{
    ApplyInLanes<4>(coefficients, input, out, count);
}

__attribute__((target("avx512f,avx512dq,no-fma"))) void ApplyInEightLanes(std::span<const double> coefficients,
                                                                          const double* input, float* out, size_t count)
{
    ApplyInLanes<8>(coefficients, input, out, count);
}

class SavitzkyGolayFilter final : public SampleNode
{
public:
    SavitzkyGolayFilter(SampleNodePtr input, const SavitzkyGolaySettings& settings)
        : input_(std::move(input)), coefficients_(SavitzkyGolayCoefficients(settings))
    {
    }

    Extent Available(size_t record) const override
    {
        const Extent input = input_->Available(record);
        const auto span = static_cast<int64_t>(coefficients_.size()) - 1;
        return {std::max<int64_t>(0, input.ticks - span), input.complete};
    }

    void Compute(size_t record, int64_t first, std::span<float> out) const override
    {
        std::vector<float> input(out.size() + coefficients_.size() - 1);
        input_->Compute(record, first, input);
        ApplySavitzkyGolay(coefficients_, input, out);
    }

private:
    SampleNodePtr input_;
    std::vector<double> coefficients_;
};

} // namespace

SavitzkyGolaySettings ParseSavitzkyGolayArguments(std::string_view text)
{
    std::vector<std::string_view> fields;
    for (size_t start = 0;;)
    {
        const size_t tab = text.find('\t', start);
        fields.push_back(text.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos)
            break;
        start = tab + 1;
    }
    if (fields.size() != 3)
        throw std::invalid_argument("sample filter: the arguments are window<TAB>derivative<TAB>order, not '" +
                                    std::string(text) + "'");
    SavitzkyGolaySettings settings{ParseCount(fields[0], "window"), ParseCount(fields[1], "derivative"),
                                   ParseCount(fields[2], "order")};
    if (settings.window < 1 || settings.window > LargestWindow)
        throw std::invalid_argument("sample filter: the window must hold 1 to " + std::to_string(LargestWindow) +
                                    " samples");
    if (settings.order > LargestOrder)
        throw std::invalid_argument("sample filter: polynomial orders above " + std::to_string(LargestOrder) +
                                    " are not supported");
    settings.window |= 1;
    settings.order = std::min(settings.order, settings.window - 1);
    return settings;
}

// With u = (k - h) / h for the window's half width h, fit p(u) = sum a[j] u^j by least squares:
// (A'A) a = A'x with A[k][j] = u_k^j. The derivative wanted is d! a[d] / h^d, linear in x, so its weights are
// c = d! / h^d * A y with (A'A) y = e_d. Scaling by h keeps A'A well-conditioned for wide windows.
std::vector<double> SavitzkyGolayCoefficients(const SavitzkyGolaySettings& settings)
{
    const int half = settings.window / 2;
    std::vector<double> coefficients(static_cast<size_t>(settings.window), 0.0);
    if (settings.derivative > settings.order)
        return coefficients; // the fitted polynomial's derivative of that order vanishes
    const auto terms = static_cast<size_t>(settings.order + 1);
    const double scale = half > 0 ? static_cast<double>(half) : 1.0;
    std::vector<std::vector<double>> powers(coefficients.size(), std::vector<double>(terms));
    for (size_t k = 0; k < coefficients.size(); ++k)
        for (size_t j = 0; j < terms; ++j)
            powers[k][j] = std::pow((static_cast<double>(k) - half) / scale, static_cast<double>(j));
    std::vector<std::vector<double>> gram(terms, std::vector<double>(terms, 0.0));
    for (const auto& row : powers)
        for (size_t i = 0; i < terms; ++i)
            for (size_t j = 0; j < terms; ++j)
                gram[i][j] += row[i] * row[j];
    std::vector<double> unit(terms, 0.0);
    unit[static_cast<size_t>(settings.derivative)] = 1.0;
    const std::vector<double> y = Solve(gram, unit);
    const double factor = std::tgamma(settings.derivative + 1.0) / std::pow(scale, settings.derivative);
    for (size_t k = 0; k < coefficients.size(); ++k)
    {
        double sum = 0.0;
        for (size_t j = 0; j < terms; ++j)
            sum += powers[k][j] * y[j];
        coefficients[k] = factor * sum;
    }
    return coefficients;
}

void ApplySavitzkyGolay(std::span<const double> coefficients, std::span<const float> input, std::span<float> out,
                        FilterLanes lanes)
{
    if (input.size() + 1 < out.size() + coefficients.size())
        throw std::invalid_argument("sample filter: the input is shorter than the output and its window");
    if (out.empty())
        return;
    // Kept between calls: the filter runs piece after piece of about the same length.
    thread_local std::vector<double> widened;
    widened.assign(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(out.size() + coefficients.size() - 1));
    if (Platform::HasAvx512() && lanes == FilterLanes::Widest)
        ApplyInEightLanes(coefficients, widened.data(), out.data(), out.size());
    else if (Platform::HasAvx2() && lanes != FilterLanes::Two)
        ApplyInFourLanes(coefficients, widened.data(), out.data(), out.size());
    else
        ApplyInLanes<2>(coefficients, widened.data(), out.data(), out.size());
}

SampleNodePtr MakeSavitzkyGolayFilter(SampleNodePtr input, const SavitzkyGolaySettings& settings)
{
    return std::make_shared<SavitzkyGolayFilter>(std::move(input), settings);
}

} // namespace Host::Calc
