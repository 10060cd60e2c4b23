#pragma once
// The 35 worksheet functions as Excel calls them: C functions under their plain names, each
// taking exactly its count of XLOPER12 pointers and returning one. The DLL exports them by
// its .def file; the native tests and benchmarks link the same definitions and call them by
// name. Every one is a catch-all boundary over the one code path (worksheet_function.h) with
// the process's installed services (xll_services.h).

#include "xll/xloper.h"

// X(name, function id, argument count) for every function of the family, in id order.
#define ORRA_FOR_EACH_WORKSHEET_FUNCTION(X) \
  X(XDP, 0, 16)                             \
  X(QX_PDP, 1, 14)                          \
  X(QX_SDH, 2, 19)                          \
  X(QX_PDH, 3, 19)                          \
  X(QX_REPORT, 4, 12)                       \
  X(QX_SRADAR, 5, 9)                        \
  X(QX_SNE, 6, 10)                          \
  X(QX_SHE, 7, 10)                          \
  X(QX_SLE, 8, 10)                          \
  X(QX_SHVR, 9, 7)                          \
  X(QX_SLVR, 10, 7)                         \
  X(QX_SARR, 11, 7)                         \
  X(QX_SERS, 12, 9)                         \
  X(QX_SRV, 13, 9)                          \
  X(QX_SRP, 14, 8)                          \
  X(QX_PRADAR, 15, 7)                       \
  X(QX_PHVR, 16, 10)                        \
  X(QX_PLVR, 17, 10)                        \
  X(QX_PARR, 18, 10)                        \
  X(QX_PERS, 19, 9)                         \
  X(QX_PRV, 20, 10)                         \
  X(QX_PRP, 21, 10)                         \
  X(QX_COMPONENTS, 22, 5)                   \
  X(QX_IINDEX, 23, 4)                       \
  X(QX_ISTOCK, 24, 5)                       \
  X(QX_COE, 25, 10)                         \
  X(QX_PERCENT, 26, 8)                      \
  X(QX_PERCENT_VALUE, 27, 8)                \
  X(QX_RPERIOD, 28, 8)                      \
  X(QX_ANALYSTID, 29, 4)                    \
  X(FF_FDP, 30, 12)                         \
  X(FF_FDH, 31, 14)                         \
  X(CF_FDP, 32, 12)                         \
  X(IF_FDP, 33, 12)                         \
  X(IF_FDH, 34, 14)

// The parameter list of a function of n arguments, and the names of its arguments.
#define ORRA_XLL_PARAMETERS_1 orra::XLOPER12* a1
#define ORRA_XLL_PARAMETERS_2 ORRA_XLL_PARAMETERS_1, orra::XLOPER12* a2
#define ORRA_XLL_PARAMETERS_3 ORRA_XLL_PARAMETERS_2, orra::XLOPER12* a3
#define ORRA_XLL_PARAMETERS_4 ORRA_XLL_PARAMETERS_3, orra::XLOPER12* a4
#define ORRA_XLL_PARAMETERS_5 ORRA_XLL_PARAMETERS_4, orra::XLOPER12* a5
#define ORRA_XLL_PARAMETERS_6 ORRA_XLL_PARAMETERS_5, orra::XLOPER12* a6
#define ORRA_XLL_PARAMETERS_7 ORRA_XLL_PARAMETERS_6, orra::XLOPER12* a7
#define ORRA_XLL_PARAMETERS_8 ORRA_XLL_PARAMETERS_7, orra::XLOPER12* a8
#define ORRA_XLL_PARAMETERS_9 ORRA_XLL_PARAMETERS_8, orra::XLOPER12* a9
#define ORRA_XLL_PARAMETERS_10 ORRA_XLL_PARAMETERS_9, orra::XLOPER12* a10
#define ORRA_XLL_PARAMETERS_11 ORRA_XLL_PARAMETERS_10, orra::XLOPER12* a11
#define ORRA_XLL_PARAMETERS_12 ORRA_XLL_PARAMETERS_11, orra::XLOPER12* a12
#define ORRA_XLL_PARAMETERS_13 ORRA_XLL_PARAMETERS_12, orra::XLOPER12* a13
#define ORRA_XLL_PARAMETERS_14 ORRA_XLL_PARAMETERS_13, orra::XLOPER12* a14
#define ORRA_XLL_PARAMETERS_15 ORRA_XLL_PARAMETERS_14, orra::XLOPER12* a15
#define ORRA_XLL_PARAMETERS_16 ORRA_XLL_PARAMETERS_15, orra::XLOPER12* a16
#define ORRA_XLL_PARAMETERS_17 ORRA_XLL_PARAMETERS_16, orra::XLOPER12* a17
#define ORRA_XLL_PARAMETERS_18 ORRA_XLL_PARAMETERS_17, orra::XLOPER12* a18
#define ORRA_XLL_PARAMETERS_19 ORRA_XLL_PARAMETERS_18, orra::XLOPER12* a19

#define ORRA_XLL_ARGUMENTS_1 a1
#define ORRA_XLL_ARGUMENTS_2 ORRA_XLL_ARGUMENTS_1, a2
#define ORRA_XLL_ARGUMENTS_3 ORRA_XLL_ARGUMENTS_2, a3
#define ORRA_XLL_ARGUMENTS_4 ORRA_XLL_ARGUMENTS_3, a4
#define ORRA_XLL_ARGUMENTS_5 ORRA_XLL_ARGUMENTS_4, a5
#define ORRA_XLL_ARGUMENTS_6 ORRA_XLL_ARGUMENTS_5, a6
#define ORRA_XLL_ARGUMENTS_7 ORRA_XLL_ARGUMENTS_6, a7
#define ORRA_XLL_ARGUMENTS_8 ORRA_XLL_ARGUMENTS_7, a8
#define ORRA_XLL_ARGUMENTS_9 ORRA_XLL_ARGUMENTS_8, a9
#define ORRA_XLL_ARGUMENTS_10 ORRA_XLL_ARGUMENTS_9, a10
#define ORRA_XLL_ARGUMENTS_11 ORRA_XLL_ARGUMENTS_10, a11
#define ORRA_XLL_ARGUMENTS_12 ORRA_XLL_ARGUMENTS_11, a12
#define ORRA_XLL_ARGUMENTS_13 ORRA_XLL_ARGUMENTS_12, a13
#define ORRA_XLL_ARGUMENTS_14 ORRA_XLL_ARGUMENTS_13, a14
#define ORRA_XLL_ARGUMENTS_15 ORRA_XLL_ARGUMENTS_14, a15
#define ORRA_XLL_ARGUMENTS_16 ORRA_XLL_ARGUMENTS_15, a16
#define ORRA_XLL_ARGUMENTS_17 ORRA_XLL_ARGUMENTS_16, a17
#define ORRA_XLL_ARGUMENTS_18 ORRA_XLL_ARGUMENTS_17, a18
#define ORRA_XLL_ARGUMENTS_19 ORRA_XLL_ARGUMENTS_18, a19

#define ORRA_DECLARE_WORKSHEET_FUNCTION(function, id, count) \
  extern "C" orra::XLOPER12* function(ORRA_XLL_PARAMETERS_##count) noexcept;
ORRA_FOR_EACH_WORKSHEET_FUNCTION(ORRA_DECLARE_WORKSHEET_FUNCTION)
#undef ORRA_DECLARE_WORKSHEET_FUNCTION
