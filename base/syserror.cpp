#include "base/syserror.h"

#include <cerrno>

std::string SystemErrorText(int error) {
    switch (error) {
    case ENOENT:
        return "datoteka ali mapa ne obstaja";
    case EACCES:
    case EPERM:
        return "nimate dovoljenja";
    case ENOSPC:
        return "na disku ni več prostora";
#ifdef EDQUOT
    case EDQUOT:
        return "presežena je kvota diska";
#endif
    case EISDIR:
        return "to je mapa";
    case ENOTDIR:
        return "del poti ni mapa";
    case EROFS:
        return "datotečni sistem je samo za branje";
    case ENAMETOOLONG:
        return "ime je predolgo";
    case EEXIST:
        return "datoteka že obstaja";
    case ELOOP:
        return "preveč simbolnih povezav na poti";
    case EMFILE:
    case ENFILE:
        return "odprtih je preveč datotek";
    case EFBIG:
        return "datoteka je prevelika";
    case EIO:
        return "vhodno-izhodna napaka naprave";
    case ETXTBSY:
    case EBUSY:
        return "datoteka ali naprava je v uporabi";
    case ENXIO:
    case ENODEV:
        return "naprava ne obstaja";
    case EPIPE:
        return "bralec cevi je končal";
    case ENOMEM:
        return "zmanjkalo je pomnilnika";
    case EXDEV:
        return "datoteke ni mogoče premakniti na drug datotečni sistem";
    case EINVAL:
        return "neveljaven argument";
    case EAGAIN:
        return "vir trenutno ni na voljo";
    case EINTR:
        return "operacija je bila prekinjena";
    default:
        return "sistemska napaka " + std::to_string(error);
    }
}
