;| a block comment
over lines |; (setq a 1) ;| inline |; (list a ;| x |; 2)
; to the end
(princ "x") ;|never closed
