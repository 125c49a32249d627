// Kept for tests that include it by this name: TestMatrix now lives with the other test objects.
#pragma once

#include "test_objects.h"
