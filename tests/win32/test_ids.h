#pragma once
// Resources of the in-process tests; ids apart from velora's own.
#define IDD_TEST_EXCHANGE 900
#define IDC_TEST_CHECK 901
#define IDC_TEST_RADIO_A 902
#define IDC_TEST_RADIO_B 903
#define IDC_TEST_RADIO_C 904
#define IDC_TEST_NEXT_GROUP 905
#define IDC_TEST_EDIT 906
#define IDD_TEST_EMPTY 910
