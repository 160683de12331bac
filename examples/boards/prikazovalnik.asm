* Štirimestni prikazovalnik (plošča prikazovalnik.json): segmenti a-g in dp na P10-P17,
* izbira mest na P20-P23 (P20 je levo mesto, mesto sveti, ko je njegova nožica 1).
* Program mesta prižiga drugo za drugim in kaže štiri števke BCD v STEVEC (sprva 1234);
* po vsakih 1024 obhodih se število poveča za 1. Pred menjavo segmentov ugasne vsa mesta,
* da na sosednjem mestu ne ostane duh prejšnje števke.
P1DDR   EQU $00
P2DDR   EQU $01
P1DR    EQU $02
P2DR    EQU $03
STEVEC  EQU $80             dva bajta BCD: $12 $34 je 1234
OBHODI  EQU $82             šteje obhode prikazovalnika (dva bajta)
MESTO   EQU $84             izbira mesta, ki pride na vrsto (bit za P20-P23)
        ORG $2000
START   LDS #$00FF
        LDAA #$FF           segmenti so izhodi
        STAA P1DDR
        LDAA #$0F           P20-P23 izbirajo mesta
        STAA P2DDR
        LDD #$1234
        STD STEVEC
        LDX #0
        STX OBHODI
OBHOD   LDX #STEVEC         začni pri levem mestu
        LDAA #$01
        STAA MESTO
DVE     LDAB 0,X            zgornja števka bajta
        LSRB                ;
        LSRB                ;
        LSRB                ;
        LSRB                ;
        BSR KAZI
        LDAB 0,X            spodnja števka bajta
        ANDB #$0F
        BSR KAZI
        INX                 ;
        CPX #STEVEC+2
        BNE DVE
        LDX OBHODI
        INX                 ;
        STX OBHODI
        CPX #1024
        BNE OBHOD
        LDX #0
        STX OBHODI
        LDAA STEVEC+1       po 1024 obhodih: STEVEC := STEVEC + 1 (BCD)
        ADDA #$01
        DAA                 ;
        STAA STEVEC+1
        LDAA STEVEC
        ADCA #$00
        DAA                 ;
        STAA STEVEC
        BRA OBHOD
* KAZI: pokaže števko B na mestu MESTO in pripravi naslednje mesto.
KAZI    CLR P2DR            ugasni vsa mesta
        PSHX                ;
        LDX #VZOREC
        ABX                 ; X kaže na vzorec števke
        LDAA 0,X
        STAA P1DR           segmenti nove števke
        LDAA MESTO
        STAA P2DR           prižgi njeno mesto
        ASL MESTO           naslednje mesto
        PULX                ;
        RTS                 ;
* Vzorci števk 0-9: bit 0 je segment a, bit 6 segment g, bit 7 pika.
VZOREC  FCB $3F
        FCB $06
        FCB $5B
        FCB $4F
        FCB $66
        FCB $6D
        FCB $7D
        FCB $07
        FCB $7F
        FCB $6F
        ORG $FFFE
        FDB START
        END
