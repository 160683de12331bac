* Semafor s prehodom za pešce (plošča semafor.json). Vozila imajo zeleno, dokler pešec ne
* pritisne tipke ZAHTEVA (P20, pritisnjena da 0). Tipka odskakuje: pritisk velja šele, ko
* je P20 na 0 še po kratkem premoru. Nato rumena, rdeča, zelena za pešce z odštevanjem
* 9..0 na števki CAS (dekodirnik BCD na P21-P24), rdeča za vse, rdeča z rumeno, zelena.
* Čas meri zanka CAKAJ v enotah po 200 obhodov.
P1DDR   EQU $00
P2DDR   EQU $01
P1DR    EQU $02
P2DR    EQU $03
* Lučke na P10-P14: rdeča $01, rumena $02, zelena $04, pešci stoj $08, pešci pojdi $10
VZELENA EQU $0C             zelena za vozila, pešci stojijo
VRUMENA EQU $0A             rumena za vozila, pešci stojijo
VSI_RDE EQU $09             rdeča za vse
PZELENA EQU $11             rdeča za vozila, zelena za pešce
VRDRUM  EQU $0B             rdeča in rumena za vozila, pešci stojijo
TEMNA   EQU $1E             BCD 15 na P21-P24: dekodirnik števko ugasne
        ORG $2000
START   LDS #$00FF
        LDAA #$1F           P10-P14 so izhodi (lučke)
        STAA P1DDR
        LDAA #$1E           P21-P24 so izhodi (števka), P20 vhod (tipka)
        STAA P2DDR
        LDAA #TEMNA
        STAA P2DR
ZELENO  LDAA #VZELENA
        STAA P1DR
        LDAB #3             zelena velja vsaj tri enote
        BSR CAKAJ
ZAHTEVA LDAA P2DR
        BITA #$01
        BNE ZAHTEVA         tipka ni pritisnjena
        LDAB #1             premor, v katerem odskakovanje mine
        BSR CAKAJ
        LDAA P2DR
        BITA #$01
        BNE ZAHTEVA         samo odskok: še ni pritiska
        LDAA #VRUMENA
        STAA P1DR
        LDAB #2
        BSR CAKAJ
        LDAA #VSI_RDE
        STAA P1DR
        LDAB #1
        BSR CAKAJ
        LDAA #PZELENA
        STAA P1DR
        LDAA #9             odštevanje od 9 do 0
ODSTEJ  PSHA                ;
        ASLA                ; števka na P21-P24
        STAA P2DR
        LDAB #1
        BSR CAKAJ
        PULA                ;
        DECA                ;
        BPL ODSTEJ
        LDAA #TEMNA
        STAA P2DR
        LDAA #VSI_RDE
        STAA P1DR
        LDAB #1
        BSR CAKAJ
        LDAA #VRDRUM
        STAA P1DR
        LDAB #1
        BSR CAKAJ
        BRA ZELENO
* CAKAJ: počaka B enot; ena enota je 200 obhodov zanke DEX/BNE.
CAKAJ   LDX #200
CAKAJ1  DEX                 ;
        BNE CAKAJ1
        DECB                ;
        BNE CAKAJ
        RTS                 ;
        ORG $FFFE
        FDB START
        END
