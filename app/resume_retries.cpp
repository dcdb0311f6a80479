// How often a cut download is taken up again, in a source of its own: the end-to-end tests link
// a second copy of the program whose only difference is this value (SETUP_RESUME_RETRIES), so
// the Velmora profile's resuming can be driven while its shipped program never resumes.
#include "app/profile.h"

#include "profile_values.h"

#ifdef SETUP_RESUME_RETRIES
const int32_t g_nResumeRetries = SETUP_RESUME_RETRIES;
#else
const int32_t g_nResumeRetries = PROFILE_RESUME_RETRIES;
#endif

static_assert(PROFILE_RESUME_RETRIES >= 0 && PROFILE_RESUME_RETRIES <= 3,
              "PROFILE_RESUME_RETRIES must be 0 (a cut download ends the run) to 3");
