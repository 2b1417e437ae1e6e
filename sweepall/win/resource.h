// Resource and control ids of the uninstall dialog.
#pragma once

#define IDI_SWEEPALL 128
#define IDC_STATUS_LIST 1000
#define IDC_GROUP 1003
#define IDC_REMOVE_FILES 1005
#define IDC_UPDATE_KEY 1006
#define IDC_UPDATE_VALUE 1008
#define IDC_RUN 1009
#define IDC_LOG_FILE 1010
