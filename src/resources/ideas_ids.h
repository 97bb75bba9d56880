// Resource ids of the idea tools and the calculator.
#pragma once

#define IDD_COMPUTE 10409
#define IDC_COMPUTE_AUTO 10410
#define IDC_COMPUTE_MANUAL 10411
#define IDC_COMPUTE_LIST 10412
#define IDC_COMPUTE_FORMAT 10413
