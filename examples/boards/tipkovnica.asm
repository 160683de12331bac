* Tipkovnica in LCD (plošča tipkovnica.json). LCD 16x2 dela s 4-bitnim vmesnikom:
* D4-D7 na P14-P17, RS na P20, R/W na P21, E na P22. Tipkovnica 4x4 ima vrstice na
* P10-P13 in stolpce na P14-P17. Program v prvo vrstico LCD napiše poziv, nato bere
* tipkovnico in vsako na novo pritisnjeno tipko pokaže v drugi vrstici.
* Pred vsakim ukazom počaka, da LCD ni več zaseden (zastavica BF), zato deluje pri vsaki
* hitrosti procesorja.
P1DDR   EQU $00
P2DDR   EQU $01
P1DR    EQU $02
P2DR    EQU $03
RSBIT   EQU $80             $01: pošiljamo znak (RS = 1), $00: ukaz
ZADNJA  EQU $81             nazadnje prebrana tipka, 0: nobena
        ORG $2000
START   LDS #$00FF
        LDAA #$07           P20-P22 (RS, R/W, E) so izhodi
        STAA P2DDR
        CLR P2DR
        CLR RSBIT
* Vklop: LCD dela z 8-bitnim vmesnikom. Trikrat ukaz $3 (8 bitov), nato $2 (4 bite),
* vsakič z enim samim impulzom E; od tedaj gre vsak bajt v dveh polovicah.
        LDAA #$30
        BSR POL1
        LDAA #$30
        BSR POL1
        LDAA #$30
        BSR POL1
        LDAA #$20
        BSR POL1
        LDAA #$28           4 biti, 2 vrstici, znaki 5x8
        JSR UKAZ
        LDAA #$0E           prikaz vklopljen, kazalka vidna
        JSR UKAZ
        LDAA #$06           naslov narašča, prikaz se ne premika
        JSR UKAZ
        LDAA #$01           pobriši prikaz
        JSR UKAZ
        LDX #POZIV
        JSR NIZ
        LDAA #$C0           naslov $40: začetek druge vrstice
        JSR UKAZ
        LDX #TIPKA
        JSR NIZ
        CLR ZADNJA
GLAVNA  JSR BERI
        CMPA ZADNJA
        BEQ GLAVNA          ista tipka kot prej ali še vedno nobena
        STAA ZADNJA
        TSTA                ;
        BEQ GLAVNA          tipka je bila spuščena
        PSHA                ;
        LDAA #$C7           druga vrstica, osmo mesto
        JSR UKAZ
        PULA                ;
        JSR PODATEK
        BRA GLAVNA
* POL1: počaka, da LCD ni zaseden, in pošlje en sam impulz E s polovico v bitih 7-4 A.
POL1    PSHA                ;
        JSR CAKAJ
        PULA                ;
        JMP POL
* UKAZ pošlje ukaz v A, PODATEK znak v A; oba najprej počakata, da LCD ni zaseden.
UKAZ    CLR RSBIT
        BRA POSLJI
PODATEK LDAB #$01
        STAB RSBIT
POSLJI  PSHA                ;
        BSR CAKAJ
        PULA                ;
        PSHA                ;
        BSR POL             zgornja polovica bajta
        PULA                ;
        ASLA                ;
        ASLA                ;
        ASLA                ;
        ASLA                ;
        BSR POL             spodnja polovica bajta
        RTS                 ;
* POL: polovico bajta v bitih 7-4 A postavi na D4-D7 in jo LCD-ju preda z impulzom E.
POL     LDAB #$F0
        STAB P1DDR          D4-D7 so izhodi, vrstice tipkovnice vhodi
        STAA P1DR
        LDAB RSBIT
        STAB P2DR           RS, R/W = 0, E = 0
        ORAB #$04
        STAB P2DR           E = 1
        EORB #$04
        STAB P2DR           E = 0: LCD prevzame polovico
        RTS                 ;
* CAKAJ: bere zastavico BF (D7 je P17), dokler je 1. Vsako branje ima dva impulza E.
CAKAJ   CLR P1DDR           vse nožice vrat 1 so vhodi
        LDAB #$02
        STAB P2DR           R/W = 1, RS = 0
CAKAJ1  LDAB #$06
        STAB P2DR           E = 1: LCD postavi BF in naslov na D4-D7
        LDAA P1DR           bit 7 je BF
        LDAB #$02
        STAB P2DR           E = 0
        LDAB #$06
        STAB P2DR           E = 1: spodnja polovica naslova
        LDAB #$02
        STAB P2DR           E = 0
        TSTA                ;
        BMI CAKAJ1          LCD je še zaseden
        CLR P2DR            R/W = 0
        RTS                 ;
* NIZ: pošlje znake od X naprej do bajta 0.
NIZ     LDAA 0,X
        BEQ NIZK
        JSR PODATEK
        INX                 ;
        BRA NIZ
NIZK    RTS                 ;
* BERI: prebere tipkovnico; v A vrne znak držane tipke ali 0, če ni držana nobena.
BERI    LDAB #$0F
        STAB P1DDR          vrstice (P10-P13) so izhodi, stolpci (P14-P17) vhodi
        LDX #ZNAKI
        LDAA #$FE           vrstica 0 na nivoju 0, ostale na 1
VRSTA   STAA P1DR
        LDAB P1DR           držana tipka v tej vrstici potegne svoj stolpec na 0
        COMB                ;
        ANDB #$F0           B: 1 v stolpcu držane tipke
        BNE STOLP
        INX                 ; naslednja vrstica znakov
        INX                 ;
        INX                 ;
        INX                 ;
        SEC                 ;
        ROLA                ; naslednja vrstica na 0: $FD, $FB, $F7
        CMPA #$EF
        BNE VRSTA
        CLRA                ; nobena tipka
        RTS                 ;
STOLP   LSRB                ; stolpci v bite 3-0
        LSRB                ;
        LSRB                ;
        LSRB                ;
STOLP1  LSRB                ; najnižji držani stolpec
        BCS ZNAK
        INX                 ;
        BRA STOLP1
ZNAK    LDAA 0,X
        RTS                 ;
ZNAKI   FCC "123A456B789C*0#D"
POZIV   FCC "Pritisni tipko"
        FCB 0
TIPKA   FCC "Tipka:"
        FCB 0
        ORG $FFFE
        FDB START
        END
