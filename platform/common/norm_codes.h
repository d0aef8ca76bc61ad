// The norm numbers of the position documents, shared by the module, the
// report writers and the kernel: the design norm of a position ("norm" of
// the information block "info") and the norm index of its load-combination
// settings (the combination library's norm names, "lkNorm").
#pragma once

#include <cstdint>

// Design norm codes.
enum DesignNorm : int32_t {
    kNormDin18800 = 7,   // DIN 18800
    kNormEc3 = 8,        // EC 3
    kNormSia = 13,       // SIA
    kNormEc3Na = 31,     // EC 3 with the national annex ("EC3 NA (DE)")
    kNormEc9 = 34,       // EC 9, aluminium
};

// Norm indices of the load combinations (0 "DIN 1055-100" ... 5 "EC_NAF").
enum CombinationNorm : int32_t {
    kLkDin1055 = 0,
    kLkDin18800 = 1,
    kLkSia260 = 2,
    kLkEc = 3,
    kLkEcNad = 4,
    kLkEcNaf = 5,
};
