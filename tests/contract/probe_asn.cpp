// A front-end file that reaches into the decoder: refused.
#include "asn/asn.h"
