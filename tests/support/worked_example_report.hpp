// The report file of the worked triangle unit graph run, titled "T1" and "T2": one inch of rain in one
// hour on one square mile, C 1, lag 2 hours, peak 242 cfs at 2 hours, 50 acre-feet.
#pragma once

#include <string>

namespace brelvo::testing_support {

inline const std::string kWorkedExampleReport =
    "T1\r\n"
    "T2\r\n"
    "Basin Area (mi^2):  1 \r\n"
    "C value:  1 \r\n"
    "Lag Time:  2 \r\n"
    "Intitial loss (in):  0.00\r\n"
    "Constant Loss (in/hr):  0.00\r\n"
    "Percent impervious area:  0\r\n"
    "Dimensionless Graph:  Triangle Unit Graph\r\n"
    "\r\n"
    "\r\n"
    " DURATION     RAIN    PEAKQ     TIME  ACRE-FT\r\n"
    "    1.000     1.00      242      2.0       50\r\n"
    "\r\n"
    "     Time   Runoff Rainfall   Excess\r\n"
    "      0.0        0  0.00000  0.00000\r\n"
    "      1.0      121  1.00000  1.00000\r\n"
    "      2.0      242  0.00000  0.00000\r\n"
    "      3.0      161\r\n"
    "      4.0       81\r\n"
    "      5.0        0\r\n"
    "      6.0        0\r\n"
    "      7.0        0\r\n";

}  // namespace brelvo::testing_support
