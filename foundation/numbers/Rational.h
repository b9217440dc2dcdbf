// Exact ratios of 64-bit integers, held in lowest terms with a positive denominator.
#pragma once

#include <cstdint>
#include <stdexcept>

namespace OrvRationalImp
{

class bad_rational : public std::domain_error
{
public:
    bad_rational();
    explicit bad_rational(const char* what);
};

// Greatest common divisor of |a| and |b|; Gcd(a, 0) = |a|.
std::int64_t Gcd(std::int64_t a, std::int64_t b);

struct Rational64
{
    std::int64_t numerator = 0;
    std::int64_t denominator = 1;

    // Lowest terms, positive denominator; throws bad_rational for a zero denominator and then
    // leaves the value as it was.
    void Normalize();

    // The best rational approximation of x with 32-bit terms. A NaN or infinite x, or one too
    // large for a 32-bit numerator, throws bad_rational.
    static Rational64 FromDouble(double x);
};

} // namespace OrvRationalImp
