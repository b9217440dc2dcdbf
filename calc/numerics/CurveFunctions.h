// Model functions that the curve-fit driver fits to x/y data.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace ExtLib
{

class FunctionBase
{
public:
    // Number of parameters p.
    virtual std::int32_t GetParameterCount() const = 0;
    // Start values of the parameters (params is already sized p).
    virtual void InitialGuess(const std::vector<double>& x, const std::vector<double>& y,
        std::vector<double>& params) const = 0;
    virtual double Evaluate(double x, const std::vector<double>& params) const = 0;
    // Evaluate at every x, into values (as many as x).
    virtual void EvaluateAll(const std::vector<double>& x, const std::vector<double>& params, double* values) const;
    // y[i] - Evaluate(x[i]) at every x, into residuals (as many as x), each the difference of the two doubles.
    virtual void Residuals(const std::vector<double>& x, const std::vector<double>& y,
        const std::vector<double>& params, double* residuals) const;
    // Partial derivatives of Evaluate by each parameter, into gradient (sized p).
    virtual void Gradient(double x, const std::vector<double>& params, std::vector<double>& gradient) const = 0;
    // A fit keeps its samples x, the same object, unchanged from FitBegins to FitEnds: a function that keeps
    // values per sample may rely on that instead of comparing x at every call.
    virtual void FitBegins(const std::vector<double>& /*x*/) const {}
    virtual void FitEnds() const {}
    virtual ~FunctionBase() = default;
};

// p1 * e^(p0 x); with fixedAmplitude, amplitude takes the place of p1.
class ExponFunc : public FunctionBase
{
public:
    ExponFunc() = default;
    explicit ExponFunc(double fixed) : fixedAmplitude(true), amplitude(fixed) {}

    std::int32_t GetParameterCount() const override { return 2; }
    void InitialGuess(const std::vector<double>& x, const std::vector<double>& y,
        std::vector<double>& params) const override;
    double Evaluate(double x, const std::vector<double>& params) const override;
    void EvaluateAll(const std::vector<double>& x, const std::vector<double>& params, double* values) const override;
    void Residuals(const std::vector<double>& x, const std::vector<double>& y, const std::vector<double>& params,
        double* residuals) const override;
    void Gradient(double x, const std::vector<double>& params, std::vector<double>& gradient) const override;
    void FitBegins(const std::vector<double>& x) const override { held_.Hold(&x); }
    void FitEnds() const override { held_.Hold(nullptr); }

    bool fixedAmplitude = false;
    double amplitude = 0.0;

private:
    double Amplitude(const std::vector<double>& params) const { return fixedAmplitude ? amplitude : params[1]; }
    std::span<const double> ExponentialsAt(const std::vector<double>& x, double rate) const;

    // e^(p0 x) over the x last evaluated, for the last two rates: a forward-difference Jacobian steps the
    // amplitude at the rate evaluated just before it, so that column costs no exponential. The values are
    // the ones Evaluate computes, so a fit runs exactly as it would without them. The x and both rates'
    // values share one block (x first), which a fit allocates once.
    struct RateExponentials
    {
        double rate = 0.0;
        bool filled = false;
    };
    mutable std::vector<double> cache_;
    mutable std::array<RateExponentials, 2> recent_;
    mutable std::size_t older_ = 0;

    // The samples of the fit under way, and whether the block holds them; a copy holds none.
    struct HeldSamples
    {
        const std::vector<double>* x = nullptr;
        bool cached = false;

        HeldSamples() = default;
        HeldSamples(const HeldSamples&) {}
        HeldSamples& operator=(const HeldSamples&)
        {
            Hold(nullptr);
            return *this;
        }
        void Hold(const std::vector<double>* samples)
        {
            x = samples;
            cached = false;
        }
    };
    mutable HeldSamples held_;
};

// p1 * e^(p0 x) + p2: relaxation to a non-zero asymptote.
class GlantzFunc : public FunctionBase
{
public:
    std::int32_t GetParameterCount() const override { return 3; }
    void InitialGuess(const std::vector<double>& x, const std::vector<double>& y,
        std::vector<double>& params) const override;
    double Evaluate(double x, const std::vector<double>& params) const override;
    void Gradient(double x, const std::vector<double>& params, std::vector<double>& gradient) const override;
};

// p1 / (e^(p0 x) + 1) + p2: logistic relaxation.
class LogisticFunc : public FunctionBase
{
public:
    std::int32_t GetParameterCount() const override { return 3; }
    void InitialGuess(const std::vector<double>& x, const std::vector<double>& y,
        std::vector<double>& params) const override;
    double Evaluate(double x, const std::vector<double>& params) const override;
    void Gradient(double x, const std::vector<double>& params, std::vector<double>& gradient) const override;
};

// p0 + p1 sin(p2 x + p3).
class SineFunc : public FunctionBase
{
public:
    std::int32_t GetParameterCount() const override { return 4; }
    void InitialGuess(const std::vector<double>& x, const std::vector<double>& y,
        std::vector<double>& params) const override;
    double Evaluate(double x, const std::vector<double>& params) const override;
    void Gradient(double x, const std::vector<double>& params, std::vector<double>& gradient) const override;
};

// Start values (rate p0, amplitude p1) of an exponential p1 e^(p0 x) through the first-found pairs of
// smallest and largest x among the pairs with x >= 0 and y > 0; (1, 1) when there is no such curve.
void ExponentialTwoPointStart(const std::vector<double>& x, const std::vector<double>& y, double& rate,
    double& amplitude);

} // namespace ExtLib
