* Receives one byte at 9600 bit/s and transmits it plus one.
       org $2000
start  ldaa #$01        ; 9600
       staa $10
       ldaa #$0A        ; RE, TE
       staa $11
rx     ldab $11
       andb #$80        ; RDRF
       beq rx
       ldaa $12
       staa $1000
       adda #1
       staa $13
tx     ldab $11
       andb #$20        ; TDRE
       beq tx
       org $fffe
       fdb start
       end
