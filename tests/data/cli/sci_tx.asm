* Transmits "AB" through the serial interface, polling TDRE.
       org $2000
start  ldaa #$02        ; TE
       staa $11
       ldaa #'A'
wait1  ldab $11
       andb #$20
       beq wait1
       staa $13
       ldaa #'B'
wait2  ldab $11
       andb #$20
       beq wait2
       staa $13
wait3  ldab $11
       andb #$20
       beq wait3
       org $fffe
       fdb start
       end
