// Resource ids of the result window.
#pragma once

#define IDI_FRM_VALIDATE_QUERY 101
