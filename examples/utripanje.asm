* Utripanje: lučka na nožici P10 vrat 1 utripa, lučka na P11 kaže stanje stikala na P17,
* nožica P21 vrat 2 utripa skupaj s P10. Stikalo preklopite s klikom na gumb b7 okna Port1.
P1DDR   EQU $00
P2DDR   EQU $01
P1DR    EQU $02
P2DR    EQU $03
        ORG $2000
START   LDAA #$0F           P10-P13 so izhodi, P14-P17 vhodi
        STAA P1DDR
        LDAA #$02           P21 je izhod
        STAA P2DDR
        CLRB                ; B: stanje lučk
ZANKA   EORB #$01           obrni P10
        LDAA P1DR
        ANDA #$80           stikalo na P17
        BEQ UGASNI
        ORAB #$02           prižgi P11
        BRA PISI
UGASNI  ANDB #$FD           ugasni P11
PISI    STAB P1DR
        TBA                 ; P10 na P21
        ASLA                ; 
        STAA P2DR
        LDX #150            zakasnitev
CAKAJ   DEX                 ;
        BNE CAKAJ
        BRA ZANKA
        ORG $FFFE
        FDB START
        END
