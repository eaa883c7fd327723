#include "FftPlans.h"

#include <fftw3.h>

#include <map>
#include <mutex>
#include <new>

namespace nivaro {

void FftBuffer::Free::operator()(std::complex<double>* data) const
{
    fftw_free(data);
}

FftBuffer::FftBuffer(std::size_t size)
    : data_(static_cast<std::complex<double>*>(fftw_malloc(sizeof(std::complex<double>) * (size > 0 ? size : 1)))),
      size_(size)
{
    if (!data_) {
        throw std::bad_alloc();
    }
}

struct Fft1DPlans {
    fftw_plan forward = nullptr;
    fftw_plan backward = nullptr;
};

namespace {

fftw_complex* Raw(std::complex<double>* data)
{
    return reinterpret_cast<fftw_complex*>(data);
}

// Plans are made on a scratch array with the estimating planner, which
// leaves it untouched, and kept for the life of the process.
class PlanCache {
public:
    ~PlanCache()
    {
        for (auto& [size, plans] : plans_) {
            fftw_destroy_plan(plans.forward);
            fftw_destroy_plan(plans.backward);
        }
    }

    const Fft1DPlans* Find(std::size_t size)
    {
        const std::lock_guard lock(mutex_);
        auto found = plans_.find(size);
        if (found == plans_.end()) {
            FftBuffer scratch(size);
            const int n = static_cast<int>(size);
            Fft1DPlans plans;
            plans.forward = fftw_plan_dft_1d(n, Raw(scratch.Data()), Raw(scratch.Data()), FFTW_FORWARD, FFTW_ESTIMATE);
            plans.backward =
                fftw_plan_dft_1d(n, Raw(scratch.Data()), Raw(scratch.Data()), FFTW_BACKWARD, FFTW_ESTIMATE);
            if (plans.forward == nullptr || plans.backward == nullptr) {
                throw std::bad_alloc();
            }
            found = plans_.emplace(size, plans).first;
        }
        return &found->second;
    }

private:
    std::mutex mutex_;
    std::map<std::size_t, Fft1DPlans> plans_;
};

PlanCache& Cache()
{
    static PlanCache cache;
    return cache;
}

}  // namespace

Fft1D::Fft1D(std::size_t size) : size_(size), plans_(Cache().Find(size)) {}

void Fft1D::Forward(FftBuffer& buffer) const
{
    fftw_execute_dft(plans_->forward, Raw(buffer.Data()), Raw(buffer.Data()));
}

void Fft1D::Backward(FftBuffer& buffer) const
{
    fftw_execute_dft(plans_->backward, Raw(buffer.Data()), Raw(buffer.Data()));
}

std::size_t FastFftSize(std::size_t n)
{
    for (std::size_t size = n > 1 ? n : 1;; ++size) {
        std::size_t rest = size;
        for (const std::size_t factor : {2, 3, 5, 7}) {
            while (rest % factor == 0) {
                rest /= factor;
            }
        }
        if (rest == 1) {
            return size;
        }
    }
}

}  // namespace nivaro
