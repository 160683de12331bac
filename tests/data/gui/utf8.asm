* števec črke ŠŽČ ž
stevec rmb 2 ; značka
       end