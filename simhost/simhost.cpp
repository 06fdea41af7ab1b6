// simhost: placeholder until the stand-in host lands.
#include "simhost.h"
