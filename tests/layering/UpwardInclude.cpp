// Must not compile: the network layer sees only its own headers, never those of the widgets above
// it. The test that builds this passes only when the compiler cannot find the widget's header.
#include "OM_Label.h"
