// quillbray-reg's verbs: query, add, delete, export to a file, import.
#include "StoreFixture.h"
