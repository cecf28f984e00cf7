#pragma once
// How long a step of a run took, for the durations the installation log gives.
#include <chrono>

namespace qel {

class Cronometro {
public:
    std::chrono::milliseconds Decorrido() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - inicio_);
    }
    void Reinicia() { inicio_ = std::chrono::steady_clock::now(); }

private:
    std::chrono::steady_clock::time_point inicio_ = std::chrono::steady_clock::now();
};

}  // namespace qel
