#pragma once
// String resources of the foundation tests (TestStrings.rc). The texts of the long ones are the
// letters A to Z repeated; their lengths sit around the loader's 256-character first attempt.
#define IDS_TEST_300 9000
#define IDS_TEST_255 9003
#define IDS_TEST_600 9004
#define IDS_TEST_MISSING 9099
