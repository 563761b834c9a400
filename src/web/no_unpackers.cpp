// The web edition plays only the XM file it makes itself, never a packed
// module: libmikmod's unpackers (PowerPacker, MMCMP, XPK, S404), which its
// module loading tries on every file, are answered here with "not packed",
// so their code stays out of the download. As an object file, these win
// over the library's own.
#include <mikmod.h>

extern "C" {

BOOL PP20_Unpack(MREADER*, void**, long*) { return 0; }
BOOL MMCMP_Unpack(MREADER*, void**, long*) { return 0; }
BOOL XPK_Unpack(MREADER*, void**, long*) { return 0; }
BOOL S404_Unpack(MREADER*, void**, long*) { return 0; }

}
