// Resource ids shared by the .rc files and the code.
#pragma once

#define IDA_MAIN 9001
#define IDI_MAIN 9012
#define IDM_MAIN 10821
